#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "lighting/types.h"

namespace halvern::tables {

inline constexpr std::array<uint8_t, 5> kBrightness{30, 80, 135, 195, 255};

/// Rising and falling ramps the colour wheel is built from.
inline constexpr std::array<uint8_t, 32> kRampUp{1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                                 44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                                 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<uint8_t, 32> kRampDown{248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                                   114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                                   29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

/// Six segments of 32 colours (red→yellow→green→cyan→blue→magenta→red); entries 192-255 repeat 0-63 so
/// that any 8-bit counter indexes it directly.
constexpr std::array<Rgb, 256> makeColourWheel() {
    std::array<Rgb, 256> wheel{};
    for (int k = 0; k < 32; ++k) {
        const uint8_t up = kRampUp[k];
        const uint8_t down = kRampDown[k];
        wheel[k] = {255, up, 0};
        wheel[32 + k] = {down, 255, 0};
        wheel[64 + k] = {0, 255, up};
        wheel[96 + k] = {0, down, 255};
        wheel[128 + k] = {up, 0, 255};
        wheel[160 + k] = {255, 0, down};
    }
    for (int i = 192; i < 256; ++i) wheel[i] = wheel[i - 192];
    return wheel;
}
inline constexpr std::array<Rgb, 256> kColourWheel = makeColourWheel();

inline constexpr std::array<uint8_t, 64> kBreathingRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

/// The first half of `rise` followed by the same values in reverse order.
template <std::size_t N>
constexpr std::array<uint8_t, 2 * N> mirrored(const std::array<uint8_t, N>& rise) {
    std::array<uint8_t, 2 * N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = rise[i];
        out[2 * N - 1 - i] = rise[i];
    }
    return out;
}

inline constexpr std::array<uint8_t, 128> kBreathing = mirrored(kBreathingRise);

constexpr std::array<uint8_t, 48> waveRise() {
    std::array<uint8_t, 48> rise{};
    for (std::size_t i = 0; i < 48; ++i) rise[i] = kBreathingRise[16 + i];
    return rise;
}
inline constexpr std::array<uint8_t, 96> kWave = mirrored(waveRise());

constexpr std::array<uint8_t, 192> makeSpark() {
    constexpr std::array<uint8_t, 90> head{
        0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120, 130, 140, 150, 158, 166,
        175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182,
        176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,
        81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,
        20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1,   0,   0};
    std::array<uint8_t, 192> spark{};
    for (std::size_t i = 0; i < head.size(); ++i) spark[i] = head[i];
    return spark;
}
inline constexpr std::array<uint8_t, 192> kSpark = makeSpark();

inline constexpr std::array<Rgb, 4> kFourColours{{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

/// Red, orange, yellow, green, cyan, blue, purple, then white and black.
inline constexpr std::array<Rgb, 9> kSevenColours{{{255, 0, 0},
                                                   {255, 64, 0},
                                                   {255, 255, 0},
                                                   {0, 255, 0},
                                                   {0, 255, 255},
                                                   {0, 0, 255},
                                                   {128, 0, 255},
                                                   {255, 255, 255},
                                                   {0, 0, 0}}};

/// Effect periods in ticks, indexed by speed level 0 (slowest) to 4. Rows have room for 15 levels; only
/// the first five are used.
using ThresholdRow = std::array<uint8_t, 15>;
inline constexpr ThresholdRow kBaseRow{8, 6, 4, 2, 1};
inline constexpr ThresholdRow kMouseFlowRow{16, 12, 8, 4, 2};
inline constexpr ThresholdRow kKeyboardRow{20, 12, 8, 5, 2};
inline constexpr ThresholdRow kKeyboardExternalRow{2, 0, 0, 0, 0};
inline constexpr ThresholdRow kSequenceSpectrumRow{20, 12, 8, 5, 2};
inline constexpr ThresholdRow kEveryTwoTicks{2, 2, 2, 2, 2};

inline constexpr uint8_t kMaxSpeedLevel = 4;
inline constexpr uint8_t kMaxBrightnessLevel = 4;

/// Threshold of a row at a speed level; a level out of range counts as the fastest.
constexpr uint8_t threshold(const ThresholdRow& row, uint8_t speed) {
    return row[std::min(speed, kMaxSpeedLevel)];
}

/// Brightness value of a level; a level out of range counts as the brightest.
constexpr uint8_t brightness(uint8_t level) {
    return kBrightness[std::min(level, kMaxBrightnessLevel)];
}

constexpr Rgb wheel(uint8_t index) {
    return kColourWheel[index];
}

/// Blink period: the base row's threshold at the speed level, times 200 ms.
constexpr Millis blinkPeriod(uint8_t speed) {
    return Millis{threshold(kBaseRow, speed)} * 200;
}

}  // namespace halvern::tables
