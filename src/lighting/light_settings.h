#pragma once

#include <array>
#include <cstdint>

#include "lighting/tables.h"
#include "lighting/types.h"

namespace halvern {

/// The audio-light settings: three words as the profile stores them. Word 1 holds the style (low byte)
/// and the background colour (bytes 1-3); word 2 the foreground colour (bytes 0-2) and the rainbow flag
/// (byte 3).
struct MusicSettings {
    std::array<uint32_t, 3> words{};

    [[nodiscard]] constexpr uint8_t style() const { return static_cast<uint8_t>(words[1]); }
    [[nodiscard]] constexpr Rgb background() const {
        return {static_cast<uint8_t>(words[1] >> 8), static_cast<uint8_t>(words[1] >> 16),
                static_cast<uint8_t>(words[1] >> 24)};
    }
    [[nodiscard]] constexpr Rgb foreground() const {
        return {static_cast<uint8_t>(words[2]), static_cast<uint8_t>(words[2] >> 8),
                static_cast<uint8_t>(words[2] >> 16)};
    }
    [[nodiscard]] constexpr bool rainbow() const { return (words[2] >> 24) != 0; }

    static constexpr MusicSettings make(uint8_t style, Rgb background, Rgb foreground, bool rainbow) {
        MusicSettings m;
        m.words[1] = uint32_t{style} | uint32_t{background.red} << 8 | uint32_t{background.green} << 16 |
                     uint32_t{background.blue} << 24;
        m.words[2] = uint32_t{foreground.red} | uint32_t{foreground.green} << 8 |
                     uint32_t{foreground.blue} << 16 | (rainbow ? 1u << 24 : 0u);
        return m;
    }
};

/// What the user chose for a device's lights. Levels arrive from profiles and devices, so every reader
/// goes through the clamping accessors.
struct LightSettings {
    uint8_t mode = 0;
    uint8_t brightnessLevel = 4;
    uint8_t speedLevel = 2;
    uint8_t direction = 0;
    uint8_t colourful = 0;
    Rgb colour{255, 0, 0};
    MusicSettings music{};
    uint8_t zzccLedMode = 0;  // keyboard mode 17's colour choice

    [[nodiscard]] constexpr uint8_t brightness() const { return tables::brightness(brightnessLevel); }
    [[nodiscard]] constexpr uint8_t speed() const { return std::min(speedLevel, tables::kMaxSpeedLevel); }
    [[nodiscard]] constexpr bool forward() const { return direction != 0; }
    [[nodiscard]] constexpr bool isColourful() const { return colourful != 0; }
};

}  // namespace halvern
