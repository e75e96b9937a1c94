#include <array>

#include "lighting/fade.h"
#include "lighting/mouse_effects.h"
#include "lighting/music_common.h"
#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern::mouse {

namespace {

constexpr std::size_t kBands = 9;
constexpr uint8_t kMusicMode = 11;
constexpr uint8_t kNoLed = 0xFF;

// The bar style's 5 × 5 grid, walked row by row.
constexpr std::array<std::array<uint8_t, 5>, 5> kBarGrid{{{kNoLed, kNoLed, kNoLed, kNoLed, kNoLed},
                                                          {1, 4, kNoLed, kNoLed, kNoLed},
                                                          {0, 5, 2, 3, kNoLed},
                                                          {kNoLed, kNoLed, kNoLed, kNoLed, kNoLed},
                                                          {kNoLed, kNoLed, kNoLed, kNoLed, kNoLed}}};

// The scatter style's two rows of 8 places; only LEDs 0-5 exist.
constexpr std::array<std::array<uint8_t, 8>, 2> kScatterRows{
    {{6, 5, 4, 3, 2, 1, 0, 14}, {13, 12, 11, 10, 9, 8, 7, 15}}};

constexpr bool isLed(uint8_t led) {
    return led < kLedCount;
}

struct StyleEntry {
    uint8_t style;
    EffectFn effect;
};
constexpr std::array<StyleEntry, 4> kStyles{
    {{0, musicColumn}, {1, musicBar}, {3, musicScatter}, {5, musicPulse}}};

int64_t meanOfFrame(const std::array<int32_t, kMaxBands>& levels) {
    return music::meanQuietness(std::span<const int32_t>(levels.data(), kBands));
}

uint8_t asDelta(int64_t n) {
    return static_cast<uint8_t>(std::clamp<int64_t>(n, 0, 255));
}

}  // namespace

void music(EffectContext& ctx) {
    for (const StyleEntry& entry : kStyles) {
        if (entry.style == ctx.settings.music.style()) {
            entry.effect(ctx);
            return;
        }
    }
}

void musicColumn(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const int64_t n = meanOfFrame(music::takeLevels(s.music)) * 8 / 600;
    s.step = stepPhase(ctx.settings.forward(), 192, s.step, asDelta(n));
    unsigned index = s.step;
    for (std::size_t column = 0; column < kPressGrid.columns; ++column) {
        index = (index + 9) % 192;
        for (std::size_t place = 0; place < kPressGrid.places; ++place) {
            if (!kPressGrid.holdsLed(column, place)) continue;
            const uint8_t led = kPressGrid.at(column, place);
            if (static_cast<int64_t>(column) < 8 - n) {
                s.level[led] = 255;
                ctx.frame.set(led, tables::wheel(static_cast<uint8_t>(index)),
                              scaleLevel(255, ctx.settings.brightness()));
            } else {
                s.level[led] = fadeLevel(0, s.level[led]);
                ctx.frame.set(led, ctx.frame.colour(led),
                              scaleLevel(s.level[led], ctx.settings.brightness()));
            }
        }
    }
}

void musicBar(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const int64_t n = meanOfFrame(music::takeLevels(s.music)) * 6 / 600;
    s.step = stepPhase(ctx.settings.forward(), 192, s.step, asDelta(n));
    unsigned index = s.step;
    for (std::size_t row = 0; row < kBarGrid.size(); ++row) {
        for (uint8_t led : kBarGrid[row]) {
            index = (index + 9) % 192;
            if (!isLed(led)) continue;
            if (static_cast<int64_t>(row) < 6 - n) {
                s.level[led] = 255;
                ctx.frame.set(led, music::foreground(ctx.settings, static_cast<uint8_t>(index)),
                              scaleLevel(255, ctx.settings.brightness()));
            } else {
                ctx.frame.set(led, ctx.settings.music.background(), ctx.settings.brightness());
            }
        }
    }
}

void musicScatter(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const auto levels = music::takeLevels(s.music);
    const bool forward = ctx.settings.forward();
    s.step = stepPhase(forward, 192, s.step, 1);
    unsigned index = s.step;
    if (++s.frameCounter >= 10) {
        s.frameCounter = 0;
        s.colourStep = stepPhase(forward, 9, s.colourStep, 1);
    }
    for (std::size_t row = 0; row < kScatterRows.size(); ++row) {
        const int64_t x = levels[(s.colourStep + 1 + row) % kBands];
        const int64_t n = (music::rawQuietness(x) + 100) * 6 / 600;
        for (std::size_t j = 0; j < kScatterRows[row].size(); ++j) {
            index = (index + 7) % 192;
            const uint8_t led = kScatterRows[row][j];
            if (!isLed(led)) continue;
            const uint8_t before = j > 0 ? kScatterRows[row][j - 1] : kNoLed;
            if (j < 3 || !isLed(before) || s.level[before] < 10)
                s.level[led] = fadeLevel(kMusicMode, s.level[led]);
            const Rgb fore = music::foreground(ctx.settings, static_cast<uint8_t>(index));
            if (static_cast<int64_t>(j) >= n + 1) s.level[led] = 255;
            music::showByLevel(ctx, led, fore);
        }
    }
}

void musicPulse(EffectContext& ctx) {
    EngineState& s = ctx.state;
    lightPresses(ctx, kPressGrid);
    spreadPresses(s.music.bitmaps, kPressGrid.columns);
    for (std::size_t led = 0; led < kLedCount; ++led) {
        s.level[led] = fadeLevel(kMusicMode, s.level[led]);
        s.colourIndex[led] = static_cast<uint8_t>((s.colourIndex[led] + 16) % 192);
        music::showByLevel(ctx, led, music::foreground(ctx.settings, s.colourIndex[led]));
    }
}

void musicLevelsDelivered(EffectContext& ctx) {
    if (ctx.settings.mode != kMusicMode || ctx.settings.music.style() != 5) return;
    MusicState& m = ctx.state.music;
    const int64_t a = music::meanQuietness(std::span<const int32_t>(m.levels.data(), kBands));
    m.pulseTotal += static_cast<int32_t>(9 - a * 9 / 600);
    if (m.pulseTotal >= 64) {
        m.pulseTotal = 0;
        pressValue(m.bitmaps, kPressGrid, 7);
        pressValue(m.bitmaps, kPressGrid, 13);
    }
}

}  // namespace halvern::mouse
