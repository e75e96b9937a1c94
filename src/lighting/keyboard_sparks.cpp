#include "lighting/keyboard_common.h"
#include "lighting/keyboard_effects.h"
#include "lighting/tables.h"

namespace halvern::keyboard {

namespace {

constexpr int kSparklesPerFrame = 6;

using StartPhaseFn = uint8_t (*)(std::size_t column, std::size_t row);

void startField(EffectContext& ctx, StartPhaseFn startPhase) {
    forEachMatrixKey([&](uint8_t key, std::size_t c, std::size_t r) {
        ctx.state.phase[key] = startPhase(c, r);
        ctx.state.colourIndex[key] = static_cast<uint8_t>(7 * c);
    });
}

/// Every key of the snake order moves along the spark curve; a key that completes it starts again with a
/// new random colour.
void runField(EffectContext& ctx, uint8_t increment) {
    EngineState& s = ctx.state;
    for (uint8_t key : kSnakeOrder) {
        // A phase is kept below 192 whatever it started from, so it always indexes the spark curve.
        if (s.phase[key] + increment >= 192) {
            s.phase[key] = 0;
            s.colourIndex[key] = static_cast<uint8_t>(s.nextRandom() % 192);
        } else {
            s.phase[key] = static_cast<uint8_t>(s.phase[key] + increment);
        }
        ctx.frame.set(key, effects::chooseColour(ctx.settings, s.colourIndex[key]),
                      scaleLevel(tables::kSpark[s.phase[key]], ctx.settings.brightness()));
    }
}

}  // namespace

void sparkle(EffectContext& ctx) {
    EngineState& s = ctx.state;
    for (int i = 0; i < kSparklesPerFrame; ++i) {
        const auto key = snakeKeyAt(randomPick(s.nextRandom() % kRandomPicks));
        if (!key) continue;
        s.level[*key] = 255;
        s.colourIndex[*key] = static_cast<uint8_t>(s.nextRandom() % 192);
    }
    for (uint8_t key : kSnakeOrder) {
        s.level[key] = fadeLevel(ctx.settings.mode, s.level[key]);
        showKey(ctx, key);
    }
}

void startSparkField(EffectContext& ctx) {
    startField(ctx, sparkStartPhase);
}
void startSweepField(EffectContext& ctx) {
    startField(ctx, sweepStartPhase);
}
void sparkField(EffectContext& ctx) {
    runField(ctx, 2);
}
void sweepField(EffectContext& ctx) {
    runField(ctx, 1);
}

}  // namespace halvern::keyboard
