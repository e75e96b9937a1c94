#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "profile/profile_records.h"

namespace halvern::light_head {

// Bytes 1-8 of the mouse's and the keyboard's onboard records: light mode (device value), brightness level,
// 4 − speed level, direction, colourful flag, red, green, blue.
inline constexpr size_t kFirst = 1;
inline constexpr size_t kEnd = 9;
inline constexpr uint8_t kMaxSpeedLevel = 4;

/// The device value of a light mode index: indices from `modeCount` on (the user's effects) and any index
/// the list lacks take the value of index 0; an empty list writes the index itself (0 past `modeCount`).
[[nodiscard]] uint8_t ModeValue(uint8_t modeIndex, std::span<const int> modeValues, size_t modeCount);
/// The mode index of a device value, or nothing when the list does not hold it.
[[nodiscard]] std::optional<uint8_t> ModeIndex(uint8_t value, std::span<const int> modeValues);

/// Writes bytes 1-8 of `record` (at least 9 bytes; shorter records are left alone).
void Write(std::span<uint8_t> record, const LightSetting& light, std::span<const int> modeValues,
           size_t modeCount);
/// Copies the fields that bytes 1-8 carry (mode, brightness, speed, colourful flag, colour, and the
/// direction when `withDirection`) from `from` into `into`; the other fields of `into` stay.
void TakeHead(LightSetting& into, const LightSetting& from, bool withDirection);
/// Reads bytes 1-8: mode index (the byte as read when the list lacks it), brightness, speed level,
/// direction, colourful flag and colour; the other fields stay 0.
[[nodiscard]] LightSetting Read(std::span<const uint8_t> record, std::span<const int> modeValues);

}  // namespace halvern::light_head
