#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "profile/profile_records.h"

namespace halvern::light_record {

// The settings record of the light-only devices (mouse pad, headset). Record n is read as 27 bytes at
// offset n × 25 of the settings memory and written as 21 bytes at offset n × 64; offset 0 holds the index
// of the active record.
inline constexpr size_t kReadSize = 27;
inline constexpr size_t kSize = 21;
inline constexpr uint16_t kReadStride = 25;
inline constexpr uint16_t kWriteStride = 64;
inline constexpr size_t kModeCount = 9;  ///< mode indices from 9 on are sent as mode index 0's value
inline constexpr uint8_t kMaxSpeedLevel = 4;

/// The page's copy of the record: byte 0 the record index, 1 the mode index (page numbering), 2 the
/// brightness level, 3 the speed level, 4 the direction (only ever from the device), 5 the colourful flag,
/// 6-8 red, green, blue, 9-20 as last read.
using Record = std::array<uint8_t, kSize>;

/// Puts the light's mode, brightness, speed, colourful flag and colour into bytes 1-3 and 5-8; the
/// direction byte stays.
void TakeLight(Record& stored, const LightSetting& light);

/// The record a device read gives (`bytes` as read, at most its first 21 used): the mode mapped back to its
/// index (the byte itself when the list lacks it) and the speed stored as a level.
[[nodiscard]] Record FromDevice(std::span<const uint8_t> bytes, std::span<const int> modeValues);

/// The record as the device takes it: the mode index as its device value and the speed as 4 − level.
[[nodiscard]] Record ForDevice(const Record& stored, std::span<const int> modeValues);

}  // namespace halvern::light_record
