#include "devices/dpi_scale.h"

#include <algorithm>

namespace halvern {

DpiScale DpiScale::fromInfo(std::span<const uint8_t> info) {
    DpiScale scale;
    if (info.size() < 16) return scale;
    scale.sensor = static_cast<uint16_t>(info[9] | info[10] << 8);
    scale.step = std::max<int>(info[11], 1);  // a zero step would make every typed DPI divide by zero
    scale.highest = info[12] | info[13] << 8;
    scale.lowest = info[14] | info[15] << 8;
    return scale;
}

int DpiScale::dpi(int position) const {
    if (sensor == kTwoRangeSensor && position > kRangeBreak) {
        return step * kRangeBreak + position * kUpperStep + lowest - kUpperStep * kRangeBreak;
    }
    return position * step + lowest;
}

int DpiScale::position(int typed) const {
    const int d = std::max(typed, lowest);
    int p = 0;
    if (sensor == kTwoRangeSensor && d > kUpperBase) {
        p = (d - kUpperBase) / kUpperStep + kRangeBreak;
    } else {
        p = (d - lowest) / std::max(step, 1);
    }
    return highest > 0 ? std::clamp(p, 0, highest) : std::max(p, 0);
}

}  // namespace halvern
