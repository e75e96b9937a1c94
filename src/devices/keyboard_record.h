#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "profile/profile_records.h"

namespace halvern::keyboard_record {

/// The keyboard's onboard settings record: 27 bytes, record n at offset n × 25 of the settings memory
/// (records overlap: the device keeps only the first 25 bytes of each but the last); offset 0 holds the
/// index of the active record.
inline constexpr size_t kSize = 27;
inline constexpr uint16_t kStride = 25;
inline constexpr size_t kLightModeCount = 31;  ///< mode indices 0-30; higher ones are the user's effects

using Record = std::array<uint8_t, kSize>;

/// Everything the record is built from.
struct Contents {
    uint8_t firstByte = 0;            ///< the record index the keyboard is told (always 0)
    LightSetting light;               ///< mode, levels, colour, "ZZCCLedMode" and "CustomGroup"
    std::span<const int> modeValues;  ///< the device value of each light mode index
    KeyboardSystem system;            ///< flags and polling rate (low bytes); repeat settings stay out
};

[[nodiscard]] Record Build(const Contents& contents);

/// What a record read from the keyboard says.
struct Reading {
    LightSetting light;  ///< mode index, brightness, speed, direction, colourful, colour, "ZZCCLedMode"
    uint8_t wFlag = 0;
    uint8_t key6Flag = 0;
    uint8_t winFlag = 0;
};

/// Decodes a record read from the keyboard (the polling rate is not taken from it).
[[nodiscard]] Reading Read(const Record& record, std::span<const int> modeValues);

}  // namespace halvern::keyboard_record
