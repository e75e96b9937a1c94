#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "lighting/led_frame.h"

namespace halvern::headset_leds {

// The headset's live LED colours: per frame 12 output reports of 17 bytes, one per LED controller (0x22,
// 0x44) and colour register. Registers 0xAA, 0xAB, 0xAC carry red, green, blue of LEDs 0-6 in bytes 4-10;
// 0xAD, 0xAE, 0xAF those of LEDs 7-12 in bytes 4-9, byte 10 repeating the report before (LED 6).
inline constexpr size_t kReportSize = 17;
inline constexpr size_t kReportCount = 12;
inline constexpr size_t kFrameSize = kReportSize * kReportCount;
inline constexpr size_t kLedCount = 13;
inline constexpr uint8_t kMaxChannel = 247;

/// Writes the reports of `frame` one after the other into `out`, in the order the headset takes them;
/// returns the bytes written (0 when `out` is shorter than kFrameSize).
size_t BuildReports(const LedFrame& frame, std::span<uint8_t> out);

}  // namespace halvern::headset_leds
