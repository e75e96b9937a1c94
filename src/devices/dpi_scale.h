#pragma once

#include <cstdint>
#include <span>

namespace halvern {

/// How a mouse turns DPI slider positions into DPI numbers, from its information block: DPI per slider
/// step, the DPI at position 0 and the highest position. The sensor 0x3325 has a second range: above
/// position 48 (5000 DPI at step 100, lowest 200) each position adds 200 DPI.
struct DpiScale {
    static constexpr uint16_t kTwoRangeSensor = 0x3325;
    static constexpr int kRangeBreak = 48;
    static constexpr int kUpperStep = 200;
    static constexpr int kUpperBase = 5000;
    /// The most a DPI field takes as typed (five digits); what the mouse can reach is checked against it.
    static constexpr int kMaxTypedDpi = 99999;

    uint16_t sensor = 0;
    int step = 1;
    int lowest = 0;
    int highest = 0;  ///< highest slider position

    /// Information block bytes 9-10 (sensor), 11 (step), 12-13 (highest position), 14-15 (lowest DPI).
    [[nodiscard]] static DpiScale fromInfo(std::span<const uint8_t> info);

    [[nodiscard]] int dpi(int position) const;
    /// The DPI of positions 0 and highest: the range a typed DPI must lie in.
    [[nodiscard]] int lowestDpi() const { return dpi(0); }
    [[nodiscard]] int highestDpi() const { return dpi(highest); }
    /// The slider position of a typed DPI (below the lowest counts as the lowest), kept within 0-highest.
    [[nodiscard]] int position(int dpi) const;
};

}  // namespace halvern
