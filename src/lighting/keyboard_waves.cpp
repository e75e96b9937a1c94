#include <array>

#include "lighting/keyboard_common.h"
#include "lighting/keyboard_effects.h"
#include "lighting/tables.h"

namespace halvern::keyboard {

namespace {

enum class Axis : uint8_t { Column, Row, Snake };

/// A wave across the board: keys on the same line of `axis` share a phase, lines `spacing` places apart.
struct WaveLayout {
    Axis axis;
    uint8_t offset;                        // phase of line 0 ahead of the step
    uint8_t colourfulSpacing;              // wheel places between lines
    uint8_t plainSpacing;                  // curve places between lines
    const std::array<uint8_t, 96>* curve;  // level curve of the single-colour wave
};

constexpr std::array<uint8_t, 96> firstHalfOfSpark() {
    std::array<uint8_t, 96> curve{};
    for (std::size_t i = 0; i < curve.size(); ++i) curve[i] = tables::kSpark[i];
    return curve;
}
constexpr std::array<uint8_t, 96> kSparkWave = firstHalfOfSpark();

constexpr WaveLayout kColumnWave{Axis::Column, 1, 7, 7, &tables::kWave};
constexpr WaveLayout kColumnSparkWave{Axis::Column, 0, 2, 1, &kSparkWave};
constexpr WaveLayout kSnakeWave{Axis::Snake, 0, 5, 5, &tables::kWave};
constexpr WaveLayout kRowWave{Axis::Row, 1, 24, 11, &tables::kWave};

void drawKey(EffectContext& ctx, const WaveLayout& layout, uint8_t key, unsigned line) {
    const unsigned step = ctx.state.step;
    if (ctx.settings.isColourful()) {
        const auto index =
            static_cast<uint8_t>((step + layout.offset + layout.colourfulSpacing * line) % 192);
        ctx.frame.set(key, tables::wheel(index), ctx.settings.brightness());
    } else {
        const uint8_t level = (*layout.curve)[(step + layout.offset + layout.plainSpacing * line) % 96];
        ctx.frame.set(key, ctx.settings.colour, scaleLevel(level, ctx.settings.brightness()));
    }
}

void drawWave(EffectContext& ctx, const WaveLayout& layout) {
    advanceWaveStep(ctx, ctx.settings.isColourful() ? 192 : 96);
    if (layout.axis == Axis::Snake) {
        for (std::size_t n = 0; n < kSnakeOrder.size(); ++n)
            drawKey(ctx, layout, kSnakeOrder[n], static_cast<unsigned>(n));
        return;
    }
    forEachMatrixKey([&](uint8_t key, std::size_t c, std::size_t r) {
        drawKey(ctx, layout, key, static_cast<unsigned>(layout.axis == Axis::Column ? c : r));
    });
}

/// Calls fn(key, d) for every key of diagonal d = 1-12 that belongs to the snake order.
template <typename Fn>
void forEachDiagonalKey(Fn&& fn) {
    for (std::size_t d = 0; d < kDiagonalCount; ++d) {
        for (uint8_t key : kDiagonals[d]) {
            if (const auto found = lookupSnakeKey(key)) fn(*found, static_cast<unsigned>(d + 1));
        }
    }
}

struct ZzccColour {
    uint8_t choice;
    uint8_t wheelIndex;
};
constexpr std::array<ZzccColour, 3> kZzccColours{{{1, 25}, {2, 70}, {3, 95}}};
constexpr uint8_t kZzccDefault = 174;

}  // namespace

void columnWave(EffectContext& ctx) {
    drawWave(ctx, kColumnWave);
}
void columnSparkWave(EffectContext& ctx) {
    drawWave(ctx, kColumnSparkWave);
}
void snakeWave(EffectContext& ctx) {
    drawWave(ctx, kSnakeWave);
}
void rowWave(EffectContext& ctx) {
    drawWave(ctx, kRowWave);
}

void columnBreathing(EffectContext& ctx) {
    EngineState& s = ctx.state;
    s.step = s.step >= 127 ? uint8_t{0} : static_cast<uint8_t>(s.step + 1);
    const uint8_t level = scaleLevel(tables::kBreathing[s.step], ctx.settings.brightness());
    forEachMatrixKey([&](uint8_t key, std::size_t c, std::size_t) {
        ctx.frame.set(key, effects::chooseColour(ctx.settings, static_cast<uint8_t>(7 * c)), level);
    });
}

void staticOrDiagonals(EffectContext& ctx) {
    if (!ctx.settings.isColourful()) {
        ctx.frame.fill(ctx.settings.colour, ctx.settings.brightness());
        return;
    }
    ctx.frame.fill({}, 0);
    forEachDiagonalKey([&](uint8_t key, unsigned d) {
        const int index = 150 - 12 * static_cast<int>(d);
        ctx.frame.set(key, tables::wheel(static_cast<uint8_t>(index >= 0 && index < 192 ? index : 150)),
                      ctx.settings.brightness());
    });
}

void colourDrift(EffectContext& ctx) {
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        uint8_t& index = ctx.state.colourIndex[key];
        index = index + 1 >= 192 ? uint8_t{0} : static_cast<uint8_t>(index + 1);
        ctx.frame.set(key, tables::wheel(index), ctx.settings.brightness());
    }
}

void diagonalWave(EffectContext& ctx) {
    const uint8_t step = advanceWaveStep(ctx, 192);
    forEachDiagonalKey([&](uint8_t key, unsigned d) {
        ctx.frame.set(key, tables::wheel(static_cast<uint8_t>((step + 7 * d) % 192)),
                      ctx.settings.brightness());
    });
}

void fixedColour(EffectContext& ctx) {
    uint8_t index = kZzccDefault;
    for (const ZzccColour& entry : kZzccColours) {
        if (entry.choice == ctx.settings.zzccLedMode) index = entry.wheelIndex;
    }
    ctx.frame.fill(tables::wheel(index), ctx.settings.brightness());
}

void customColours(EffectContext& ctx) {
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        ctx.frame.set(key, ctx.state.customColours[key], ctx.settings.brightness());
    }
}

void externalColour(EffectContext& ctx) {
    const auto& v = ctx.state.externalColour;
    ctx.frame.fill({static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]), static_cast<uint8_t>(v[2])},
                   ctx.settings.brightness());
}

}  // namespace halvern::keyboard
