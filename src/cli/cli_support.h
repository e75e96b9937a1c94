#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace halvern::cli {

/// Exit codes of halvernctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDeviceError = 1;
inline constexpr int kExitUsage = 2;

/// Bytes as lower-case hex pairs separated by single spaces.
[[nodiscard]] std::string hexBytes(std::span<const uint8_t> bytes);

/// Parses a whole decimal integer within [min, max] ("-5", "007"; never "0x10", "+5" or " 5"); nothing on
/// any other text.
[[nodiscard]] std::optional<long> parseInteger(std::string_view text, long min, long max);

}  // namespace halvern::cli
