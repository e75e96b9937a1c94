#include <array>

#include "lighting/keyboard_common.h"
#include "lighting/keyboard_effects.h"
#include "lighting/music_common.h"
#include "lighting/press_bitmaps.h"
#include "lighting/tables.h"

namespace halvern::keyboard {

namespace {

constexpr uint8_t kMusicMode = 29;
constexpr std::size_t kBands = 25;
constexpr uint8_t kPulseKey = 51;
constexpr int32_t kPulseThreshold = 71;

using Levels = std::array<int32_t, kMaxBands>;

int64_t q(int64_t level) {
    return music::quietness(level);
}

/// The bar rule: K fades unless its neighbour N is lit (level 10 or more); a key in the lit part goes to
/// full level. The key then shows the foreground when its level is 10 or more, else the background.
void barRule(EffectContext& ctx, uint8_t key, uint8_t neighbour, bool lit, Rgb fore) {
    auto& level = ctx.state.level;
    if (neighbour == kNoKey || level[neighbour] < 10) level[key] = fadeLevel(kMusicMode, level[key]);
    if (lit) level[key] = 255;
    music::showByLevel(ctx, key, fore);
}

/// The neighbour one column over, or none in the columns that have none for the style.
uint8_t sideNeighbour(std::size_t column, std::size_t row, int offset, std::size_t firstWithout) {
    const bool none = offset < 0 ? column < firstWithout : column >= firstWithout;
    return none ? kNoKey : keyAt(static_cast<int>(column) + offset, static_cast<int>(row));
}

/// Sums the levels in consecutive groups of the given sizes; each sum ÷ 3 is one band.
template <std::size_t N>
std::array<int64_t, N> groupBands(const Levels& levels, const std::array<uint8_t, N>& sizes) {
    std::array<int64_t, N> bands{};
    std::size_t next = 0;
    for (std::size_t b = 0; b < N; ++b) {
        int64_t sum = 0;
        for (uint8_t i = 0; i < sizes[b]; ++i) sum += levels[next++];
        bands[b] = sum / 3;
    }
    return bands;
}

void columns(EffectContext& ctx, const Levels& levels) {
    unsigned index = advanceWaveStep(ctx, 192);
    for (std::size_t c = 0; c < kColumns; ++c) {
        index = (index + 10) % 192;
        const int64_t n = (q(levels[c]) + 100) * 6 / 600;
        const Rgb fore = music::foreground(ctx.settings, static_cast<uint8_t>(index));
        for (std::size_t r = 0; r < kRows; ++r) {
            const uint8_t key = kColumnMatrix[c][r];
            if (key == kNoKey) continue;
            barRule(ctx, key, keyAt(static_cast<int>(c), static_cast<int>(r) - 1),
                    static_cast<int64_t>(r) >= n, fore);
        }
    }
}

void splitRows(EffectContext& ctx, const Levels& levels) {
    EngineState& s = ctx.state;
    const uint8_t step = advanceWaveStep(ctx, 192);
    s.colourStep = stepPhase(ctx.settings.forward(), 25, s.colourStep, 1);
    unsigned k = s.colourStep;
    for (std::size_t r = 0; r < kRows; ++r) {
        k = (k + 3) % 25;
        const int64_t left = (q(levels[k]) + 100) * 12 / 600;
        const int64_t right = (q(levels[2 * r + 1]) + 100) * 12 / 600;
        unsigned index = step;
        for (std::size_t c = 0; c < kColumns; ++c) {
            index = (index + 7) % 192;
            const uint8_t key = kColumnMatrix[c][r];
            if (key == kNoKey) continue;
            const auto col = static_cast<int64_t>(c);
            const Rgb fore = music::foreground(ctx.settings, static_cast<uint8_t>(index));
            if (c <= 8) {
                barRule(ctx, key, sideNeighbour(c, r, -1, 1), col >= left, fore);
            } else {
                barRule(ctx, key, sideNeighbour(c, r, +1, 21), col - 9 <= 12 - right, fore);
            }
        }
    }
}

void pulse(EffectContext& ctx, const Levels&) {
    EngineState& s = ctx.state;
    lightPresses(ctx, kPressGrid);
    spreadPresses(s.music.bitmaps, kColumns);
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        s.level[key] = fadeLevel(kMusicMode, s.level[key]);
        s.colourIndex[key] = static_cast<uint8_t>((s.colourIndex[key] + 9) % 192);
        music::showByLevel(ctx, key, music::foreground(ctx.settings, s.colourIndex[key]));
    }
}

void diagonals(EffectContext& ctx, const Levels& levels) {
    EngineState& s = ctx.state;
    const int64_t n = music::meanQuietness(std::span<const int32_t>(levels.data(), kBands)) * 20 / 600;
    s.step =
        stepPhase(ctx.settings.forward(), 192, s.step, static_cast<uint8_t>(std::clamp<int64_t>(n, 0, 255)));
    unsigned index = s.step;
    for (std::size_t d = 0; d < kDiagonalCount; ++d) {
        index = (index + 9) % 192;
        for (uint8_t member : kDiagonals[d]) {
            const auto key = lookupSnakeKey(member);
            if (!key) continue;
            if (static_cast<int64_t>(d) < 20 - n) {
                s.level[*key] = 255;
                ctx.frame.set(*key, tables::wheel(static_cast<uint8_t>(index)),
                              scaleLevel(255, ctx.settings.brightness()));
            } else {
                s.level[*key] = fadeLevel(0, s.level[*key]);
                ctx.frame.set(*key, ctx.frame.colour(*key),
                              scaleLevel(s.level[*key], ctx.settings.brightness()));
            }
        }
    }
}

void drops(EffectContext& ctx, const Levels& levels) {
    EngineState& s = ctx.state;
    const bool forward = ctx.settings.forward();
    s.step = stepPhase(forward, 192, s.step, 1);
    if (++s.frameCounter >= 10) {
        s.frameCounter = 0;
        s.colourStep = stepPhase(forward, 25, s.colourStep, 0);
    }
    unsigned k = s.colourStep;
    for (std::size_t c = 0; c < kColumns; ++c) {
        k = (k + 1) % 25;
        const int64_t n = (music::rawQuietness(levels[k]) + 100) * 6 / 600;
        bool& dropping = s.music.dropFlags[c];
        if (dropping && s.level[kColumnMatrix[c][kRows - 1]] < 10) dropping = false;
        for (std::size_t r = 0; r < kRows; ++r) {
            const uint8_t key = kColumnMatrix[c][r];
            if (key == kNoKey) continue;
            const uint8_t up = keyAt(static_cast<int>(c), static_cast<int>(r) - 1);
            if (up == kNoKey || s.level[up] < 5) s.level[key] = fadeLevel(kMusicMode, s.level[key]);
            const Rgb fore = ctx.settings.music.rainbow() ? tables::wheel(s.colourIndex[key])
                                                          : ctx.settings.music.foreground();
            music::showByLevel(ctx, key, fore);
            if (static_cast<int64_t>(r) >= n && !dropping) {
                s.level[key] = 255;  // shown from the next frame
                dropping = true;
            }
        }
    }
}

void rowsFromLeft(EffectContext& ctx, const Levels& levels) {
    const auto bands = groupBands(levels, std::array<uint8_t, 6>{2, 3, 3, 4, 5, 7});
    const uint8_t step = advanceWaveStep(ctx, 192);
    for (std::size_t r = 0; r < kRows; ++r) {
        const int64_t n = 23 - (q(bands[5 - r]) + 100) * 23 / 600;
        unsigned index = step;
        for (std::size_t c = 0; c < kColumns; ++c) {
            index = (index + 3) % 192;
            const uint8_t key = kColumnMatrix[c][r];
            if (key == kNoKey) continue;
            barRule(ctx, key, sideNeighbour(c, r, +1, 21), static_cast<int64_t>(c) <= n,
                    music::foreground(ctx.settings, static_cast<uint8_t>(index)));
        }
    }
}

void alternatingRows(EffectContext& ctx, const Levels& levels) {
    EngineState& s = ctx.state;
    const auto bands = groupBands(levels, std::array<uint8_t, 6>{2, 2, 3, 4, 5, 5});
    const uint8_t step = advanceWaveStep(ctx, 192);
    const bool rainbow = ctx.settings.music.rainbow();
    for (std::size_t r = 0; r < kRows; ++r) {
        const int64_t n = q(bands[r]) * 23 / 600;
        unsigned index = step;
        const bool even = r % 2 == 0;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const uint8_t key = kColumnMatrix[c][r];
            if (key == kNoKey) continue;
            const auto col = static_cast<int64_t>(c);
            // Odd rows mirror even rows: a bar grows from the right edge, and silence (n = 23) lights
            // nothing on either side.
            const bool lit = even ? col >= n : col < 23 - n;
            const uint8_t neighbour = even ? sideNeighbour(c, r, -1, 2) : sideNeighbour(c, r, +1, 21);
            barRule(ctx, key, neighbour, lit, music::foreground(ctx.settings, static_cast<uint8_t>(index)));
            if (rainbow && s.level[key] >= 10) index = (index + 2) % 192;
        }
    }
}

using StyleFn = void (*)(EffectContext&, const Levels&);
constexpr std::array<StyleFn, 7> kStyles{columns, splitRows,    pulse,          diagonals,
                                         drops,   rowsFromLeft, alternatingRows};

}  // namespace

void music(EffectContext& ctx) {
    const uint8_t style = ctx.settings.music.style();
    if (style >= kStyles.size()) return;
    const Levels levels = music::takeLevels(ctx.state.music);
    kStyles[style](ctx, levels);
}

void musicLevelsDelivered(EffectContext& ctx) {
    if (ctx.settings.mode != kMusicMode || ctx.settings.music.style() != 2) return;
    MusicState& m = ctx.state.music;
    const int64_t a = music::meanQuietness(std::span<const int32_t>(m.levels.data(), kBands));
    m.pulseTotal += static_cast<int32_t>(25 - a * 25 / 600);
    if (m.pulseTotal >= kPulseThreshold) {
        m.pulseTotal = 0;
        pressValue(m.bitmaps, kPressGrid, kPulseKey);
    }
}

}  // namespace halvern::keyboard
