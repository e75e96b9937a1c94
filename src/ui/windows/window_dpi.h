#pragma once

#include <algorithm>
#include <array>

#include "device/debug_sink.h"

namespace halvern::ui {

/// The DPI values a window accepts; any other value writes `errorLine` to the debug output and gives 96.
/// Qt scales windows for their screen by itself, so the value only records what the owner uses.
[[nodiscard]] inline int AcceptedDpi(int dpi, const char* errorLine) {
    constexpr std::array<int, 7> kAccepted{48, 72, 96, 120, 144, 168, 192};
    if (std::find(kAccepted.begin(), kAccepted.end(), dpi) != kAccepted.end()) return dpi;
    debugLog(errorLine);
    return 96;
}

}  // namespace halvern::ui
