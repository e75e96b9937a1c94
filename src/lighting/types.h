#pragma once

#include <cstddef>
#include <cstdint>

namespace halvern {

/// Milliseconds of a monotonic clock. The lighting code never reads a clock itself: every call that
/// depends on time takes "now" from its caller, so tests can drive time by hand.
using Millis = std::int64_t;

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

enum class DeviceKind : uint8_t { Mouse, Keyboard, MousePad, Headset };

/// The largest LED count of any device (the keyboard's logical keys). Per-LED state is sized for it.
inline constexpr std::size_t kMaxLeds = 170;

}  // namespace halvern
