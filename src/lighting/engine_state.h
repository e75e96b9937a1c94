#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "lighting/types.h"

namespace halvern {

inline constexpr std::size_t kPressFlagCount = 23;
inline constexpr std::size_t kMaxColumns = 23;  // press-bitmap columns: 7 on the mouse, 23 on the keyboard
inline constexpr std::size_t kMaxBands = 25;    // band levels: 9 on the mouse, 25 on the keyboard
inline constexpr std::size_t kExternalValues = 6;

/// The four press bitmaps of the ripple effects, one byte per column; bit p of a column is place (or row) p.
struct PressBitmaps {
    std::array<uint8_t, kMaxColumns> a{};
    std::array<uint8_t, kMaxColumns> b{};
    std::array<uint8_t, kMaxColumns> c{};
    std::array<uint8_t, kMaxColumns> d{};

    void clear() { *this = {}; }
    [[nodiscard]] bool empty() const { return *this == PressBitmaps{}; }
    friend bool operator==(const PressBitmaps&, const PressBitmaps&) = default;
};

/// State of the sound-driven effects.
struct MusicState {
    std::array<int32_t, kMaxBands> levels{};  // the last delivered band levels, already made safe
    PressBitmaps bitmaps;
    int32_t pulseTotal = 0;                     // running total of the pulse styles
    std::array<bool, kMaxColumns> dropFlags{};  // keyboard style 4: a drop is falling in the column

    void reset() {
        levels = {};
        bitmaps.clear();
        pulseTotal = 0;
        dropFlags.fill(true);
    }
};

/// Everything an effect remembers between frames, for one device. Counters are 8-bit where the effects
/// rely on byte wrap-around.
struct EngineState {
    uint8_t step = 0;          // main phase of the current effect
    uint8_t colourStep = 0;    // secondary counter: colour index, colour-table index, level pointer
    uint8_t frameCounter = 0;  // frames between colour-step advances of some music styles
    bool blinkOn = false;
    Millis blinkTime = 0;

    std::array<uint8_t, kMaxLeds> level{};        // per-LED level of fading effects
    std::array<uint8_t, kMaxLeds> colourIndex{};  // per-LED colour-wheel index
    std::array<uint8_t, kMaxLeds> reactive{};     // 0 idle, 1 rising, 2 falling
    std::array<uint8_t, kMaxLeds> phase{};        // per-key phase of the keyboard's spark fields
    std::array<uint8_t, kPressFlagCount> pressFlags{};

    MusicState music;
    std::array<Rgb, kMaxLeds> customColours{};              // keyboard mode 20
    std::array<int32_t, kExternalValues> externalColour{};  // keyboard mode 30

    std::minstd_rand random{1};

    /// A random number in [0, 2^31 - 2]; deterministic for a given seed.
    uint32_t nextRandom() { return static_cast<uint32_t>(random()); }
};

}  // namespace halvern
