#pragma once

#include <array>
#include <cstdint>

#include "devices/headset_audio.h"

namespace halvern::headset_eq {

using Bands = HeadsetAudio::Bands;

inline constexpr int kPresetCount = 12;
inline constexpr int kCustomType = 13;  ///< the EQ type of the user's own band values
inline constexpr int kMaxCustomEqs = 20;
inline constexpr int kBandMin = -20;  ///< the band sliders' range
inline constexpr int kBandMax = 20;

/// The band values of the twelve presets (EQ types 1-12), bands from the lowest to the highest.
inline constexpr std::array<Bands, kPresetCount> kPresets{{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

/// The bands of preset `type` (1-12); preset 1's for any other type.
[[nodiscard]] constexpr const Bands& PresetBands(int type) {
    return kPresets[(type >= 1 && type <= kPresetCount) ? static_cast<size_t>(type - 1) : 0];
}

}  // namespace halvern::headset_eq
