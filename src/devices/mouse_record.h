#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "profile/profile_records.h"

namespace halvern::mouse_record {

/// The mouse's onboard settings record: 80 bytes are read, the first 75 are written. Record n lives at
/// offset n × 128 of the settings memory; offset 0 holds the index of the active record.
inline constexpr size_t kReadSize = 80;
inline constexpr size_t kWriteSize = 75;
inline constexpr uint16_t kStride = 128;
inline constexpr size_t kStageCount = 6;
inline constexpr size_t kStageOffset = 14;
inline constexpr size_t kStageSize = 9;
inline constexpr uint8_t kMaxSpeedLevel = 4;
inline constexpr size_t kLightModeCount = 12;  ///< mode indices 0-11; higher ones are the user's effects

using Record = std::array<uint8_t, kReadSize>;

/// Everything the record is built from.
struct Contents {
    uint8_t firstByte = 0;  ///< the record index the device is told (always 0)
    uint8_t byte68 = 1;
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    LightSetting light;               ///< mode index, brightness, speed level, direction, colourful, colour
    std::span<const int> modeValues;  ///< the device value of each light mode index
    uint8_t pollingIndex = 0;
    uint8_t activeStage = 0;
    std::span<const DpiStage> stages;  ///< up to six; missing stages stay all zero
    std::span<const CorrectEntry> corrections;
};

/// Builds the 80-byte record (the device takes its first 75 bytes).
[[nodiscard]] Record Build(const Contents& contents);

/// What a record read from the device says about the lights and stages.
struct Reading {
    LightSetting
        light;  ///< mode index (or the byte as read when unknown), brightness, speed, colourful, colour
    uint8_t activeStage = 0;
    uint8_t pollingIndex = 0;
};

/// Decodes a record read from the device. The speed is stored inverted (4 − level); the direction is not
/// taken from the device.
[[nodiscard]] Reading Read(const Record& record, std::span<const int> modeValues);

}  // namespace halvern::mouse_record
