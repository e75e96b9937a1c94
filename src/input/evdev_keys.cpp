#include "input/evdev_keys.h"

#include <algorithm>

namespace halvern {

std::optional<ScanCode> ScanFromEvdev(uint16_t code) {
    const auto* row = std::lower_bound(kEvdevKeyTable.begin(), kEvdevKeyTable.end(), code,
                                       [](const EvdevKeyRow& r, uint16_t c) { return r.code < c; });
    if (row == kEvdevKeyTable.end() || row->code != code) return std::nullopt;
    return ScanCode{row->scan, row->extended};
}

std::optional<ScanCode> ScanFromXkbKeycode(uint32_t keycode) {
    constexpr uint32_t kXkbOffset = 8;
    if (keycode < kXkbOffset || keycode - kXkbOffset > 0xFFFF) return std::nullopt;
    return ScanFromEvdev(static_cast<uint16_t>(keycode - kXkbOffset));
}

}  // namespace halvern
