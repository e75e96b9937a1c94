#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "lighting/effect_context.h"

namespace halvern {

/// Where presses can be: `columns` columns of `places` places, cells[column * places + place] is the LED
/// (or logical key) at that place. A value at or above `ledCount` holds no LED.
struct PressGrid {
    std::span<const uint8_t> cells;
    std::size_t columns = 0;
    std::size_t places = 0;
    std::size_t ledCount = 0;

    [[nodiscard]] constexpr uint8_t at(std::size_t column, std::size_t place) const {
        return column < columns && place < places ? cells[column * places + place] : uint8_t{0xFF};
    }
    [[nodiscard]] constexpr bool holdsLed(std::size_t column, std::size_t place) const {
        return at(column, place) < ledCount;
    }
};

/// Marks a press at the first column, then first place, whose value is `value`, in all four bitmaps.
/// Returns false (and changes nothing) when no place holds that value.
bool pressValue(PressBitmaps& bitmaps, const PressGrid& grid, uint8_t value);

/// Every place set in any bitmap that holds an LED lights up at 255; with the colourful flag its colour
/// index follows the step, which advances once per lit place.
void lightPresses(EffectContext& ctx, const PressGrid& grid);

/// Moves every press one column outwards: A and D towards lower columns, B and C towards higher ones,
/// while what stays behind moves one place down (A, B) or up (C, D).
void spreadPresses(PressBitmaps& bitmaps, std::size_t columns);

/// The keyboard's travelling presses: A and C vanish, B moves one column up, D one column down.
void spreadAndClearPresses(PressBitmaps& bitmaps, std::size_t columns);

}  // namespace halvern
