#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace halvern::companion {

// The application and halvern-sound talk over a local sequenced-packet socket, so every message arrives
// whole. A message is a 32-bit little-endian kind followed by its content:
//   from the companion   kind 1   raw block, 500 signed 32-bit levels
//                        kind 2   six-value block, 6 signed 32-bit values
//   from the application kind 10  style colour, 40 bytes: red, green, blue as signed 32-bit (green 0 sent as
//   1)
//                        kind 20  notice: code and value, two signed 32-bit (codes below)
// All numbers are little-endian.

inline constexpr uint32_t kRawBlock = 1;
inline constexpr uint32_t kSixValueBlock = 2;
inline constexpr uint32_t kStyleColour = 10;
inline constexpr uint32_t kNotice = 20;

inline constexpr std::size_t kStyleColourBytes = 40;

/// Notice codes: the greeting, what follows it, the leave-taking, and the main window's colour sliders.
namespace notice {
inline constexpr int32_t kGreeting = 0;
inline constexpr int32_t kStart = 3;
inline constexpr int32_t kCapture = 1;
inline constexpr int32_t kLeave = 2;
inline constexpr int32_t kStopCapture = 4;
inline constexpr int32_t kQuit = 5;
inline constexpr int32_t kRedSlider = 6;
inline constexpr int32_t kGreenSlider = 7;
inline constexpr int32_t kBlueSlider = 8;
}  // namespace notice

/// Largest message either side sends: a raw block and its kind.
inline constexpr std::size_t kMaxMessage = 4 + 500 * 4;

/// The socket and the lock file: in $XDG_RUNTIME_DIR, or /tmp when it is not set.
inline std::string runtimePath(const char* name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name;
}
inline std::string socketPath() {
    return runtimePath("halvern-sound.socket");
}
inline std::string lockPath() {
    return runtimePath("halvern-sound.lock");
}

inline void putLe(std::span<std::byte> out, std::size_t at, uint32_t v) {
    for (std::size_t b = 0; b < 4; ++b) out[at + b] = static_cast<std::byte>(v >> (8 * b));
}
inline uint32_t getLe(std::span<const std::byte> in, std::size_t at) {
    uint32_t v = 0;
    for (std::size_t b = 0; b < 4; ++b) v |= std::to_integer<uint32_t>(in[at + b]) << (8 * b);
    return v;
}

}  // namespace halvern::companion
