#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace halvern::emu {

/// Joins byte arrays at compile time, so tables can be assembled from named parts.
template <size_t... Sizes>
constexpr std::array<uint8_t, (Sizes + ...)> join(const std::array<uint8_t, Sizes>&... parts) {
    std::array<uint8_t, (Sizes + ...)> joined{};
    size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), joined.begin() + static_cast<std::ptrdiff_t>(at)), at += Sizes),
     ...);
    return joined;
}

/// The light settings that open every onboard record of every product: bytes 0-8.
struct LightHead {
    uint8_t mode = 0;  ///< device value of the light mode
    uint8_t brightness = 0;
    uint8_t speedLevel = 0;  ///< stored inverted, as 4 - level
    uint8_t direction = 0;
    uint8_t colourful = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

constexpr std::array<uint8_t, 9> lightHead(const LightHead& light) {
    return {0x00,  // record index
            light.mode,
            light.brightness,
            static_cast<uint8_t>(4 - light.speedLevel),
            light.direction,
            light.colourful,
            light.red,
            light.green,
            light.blue};
}

}  // namespace halvern::emu
