#pragma once

#include <cstddef>
#include <cstdint>

namespace halvern::sound {

// What the positions of the raw block mean.
//
// The analysis splits 40 Hz - 16 kHz into 100 sub-bands of equal width on a logarithmic scale (each about
// 6 % wider than the one before) and gathers them into 25 groups of four, bass first. Group g takes the
// positions 5g to 5g+4 of the raw block:
//   5g + i (i = 0..3)  the level of sub-band 4g + i,
//   5g + 4             the group's loudest sub-band.
// So the keyboard's 25 bands (positions 0-124) run from bass to treble, and the mouse's ten (positions
// 0-49) are the ten lowest groups, 40 Hz to about 440 Hz. Positions 125-499 are always 0.
//
// A level runs from 0 (at or below -70 dB of full scale) to 1200 (full scale). The application looks at how
// much each position changes from one block to the next, so the sign of every level flips with each block:
// a steady tone changes each position by twice its level, and silence changes nothing.
inline constexpr std::size_t kRawValues = 500;
inline constexpr std::size_t kGroups = 25;
inline constexpr std::size_t kSubBandsPerGroup = 4;
inline constexpr std::size_t kPositionsPerGroup = 5;
inline constexpr std::size_t kSubBands = kGroups * kSubBandsPerGroup;
inline constexpr double kLowestHz = 40.0;
inline constexpr double kHighestHz = 16000.0;
inline constexpr int32_t kFullLevel = 1200;
inline constexpr double kFloorDb = -70.0;

// The six-value block: 0-2 the current style colour (each of its 0-9 steps widened to 0-255) scaled by the
// loudness, so the keyboard's external-colour mode glows with the music; 3 the loudness, 4 the bass (mean
// of the six lowest groups) and 5 the treble (mean of the six highest), each 0 to kFullLevel.
inline constexpr std::size_t kSixValues = 6;

/// Blocks per second while sound plays.
inline constexpr int kBlocksPerSecond = 60;

}  // namespace halvern::sound
