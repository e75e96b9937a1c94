#include "lighting/press_bitmaps.h"

#include <algorithm>

#include "lighting/step.h"

namespace halvern {

namespace {

using Columns = std::array<uint8_t, kMaxColumns>;

// A column outside the bitmap counts as 0.
uint8_t columnOf(const Columns& bitmap, std::ptrdiff_t column, std::size_t columns) {
    return column >= 0 && static_cast<std::size_t>(column) < columns
               ? bitmap[static_cast<std::size_t>(column)]
               : uint8_t{0};
}

}  // namespace

bool pressValue(PressBitmaps& bitmaps, const PressGrid& grid, uint8_t value) {
    for (std::size_t c = 0; c < std::min(grid.columns, kMaxColumns); ++c) {
        for (std::size_t p = 0; p < std::min<std::size_t>(grid.places, 8); ++p) {
            if (grid.at(c, p) != value) continue;
            const auto bit = static_cast<uint8_t>(1u << p);
            bitmaps.a[c] |= bit;
            bitmaps.b[c] |= bit;
            bitmaps.c[c] |= bit;
            bitmaps.d[c] |= bit;
            return true;
        }
    }
    return false;
}

void lightPresses(EffectContext& ctx, const PressGrid& grid) {
    const PressBitmaps& bm = ctx.state.music.bitmaps;
    for (std::size_t c = 0; c < std::min(grid.columns, kMaxColumns); ++c) {
        const unsigned any = bm.a[c] | bm.b[c] | bm.c[c] | bm.d[c];
        for (std::size_t p = 0; p < std::min<std::size_t>(grid.places, 8); ++p) {
            if (!(any & (1u << p)) || !grid.holdsLed(c, p)) continue;
            const uint8_t led = grid.at(c, p);
            ctx.state.level[led] = 255;
            if (ctx.settings.isColourful()) {
                ctx.state.step = stepPhase(ctx.settings.forward(), 192, ctx.state.step, 1);
                ctx.state.colourIndex[led] = ctx.state.step;
            }
        }
    }
}

void spreadPresses(PressBitmaps& bitmaps, std::size_t columns) {
    columns = std::min(columns, kMaxColumns);
    const PressBitmaps old = bitmaps;
    for (std::size_t c = 0; c < columns; ++c) {
        const auto col = static_cast<std::ptrdiff_t>(c);
        bitmaps.a[c] = static_cast<uint8_t>((old.a[c] >> 1) | columnOf(old.a, col + 1, columns));
        bitmaps.b[c] = static_cast<uint8_t>((old.b[c] >> 1) | columnOf(old.b, col - 1, columns));
        bitmaps.c[c] = static_cast<uint8_t>((old.c[c] << 1) | columnOf(old.c, col - 1, columns));
        bitmaps.d[c] = static_cast<uint8_t>((old.d[c] << 1) | columnOf(old.d, col + 1, columns));
    }
}

void spreadAndClearPresses(PressBitmaps& bitmaps, std::size_t columns) {
    columns = std::min(columns, kMaxColumns);
    const PressBitmaps old = bitmaps;
    bitmaps.a.fill(0);
    bitmaps.c.fill(0);
    for (std::size_t c = 0; c < columns; ++c) {
        const auto col = static_cast<std::ptrdiff_t>(c);
        bitmaps.b[c] = columnOf(old.b, col - 1, columns);
        bitmaps.d[c] = columnOf(old.d, col + 1, columns);
    }
}

}  // namespace halvern
