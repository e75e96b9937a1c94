#include "lighting/pad_effects.h"

#include <array>

#include "lighting/base_effects.h"
#include "lighting/fade.h"
#include "lighting/press_flags.h"
#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern::pad {

namespace {

/// The constants that tell the two waves apart.
struct WaveShape {
    uint8_t colourfulSpacing;  // wheel places between neighbouring LEDs
    uint8_t plainDelta;        // wave-curve places per frame
    uint8_t plainOffset;       // 1 when LED 0 starts one place ahead of the step
    uint8_t plainSpacing;      // wave-curve places between neighbouring LEDs
};

constexpr WaveShape kMousePadWave{7, 1, 1, 7};
constexpr WaveShape kHeadsetWave{16, 3, 0, 10};

void drawWave(EffectContext& ctx, const WaveShape& shape) {
    EngineState& s = ctx.state;
    const bool forward = ctx.settings.forward();
    if (ctx.settings.isColourful()) {
        s.step = stepPhase(forward, 192, s.step, 1);
        unsigned index = (s.step + 1u) % 192;
        for (std::size_t i = 0; i < ctx.frame.size(); ++i) {
            ctx.frame.set(i, tables::wheel(static_cast<uint8_t>(index)), ctx.settings.brightness());
            index = (index + shape.colourfulSpacing) % 192;
        }
        return;
    }
    s.step = stepPhase(forward, 96, s.step, shape.plainDelta);
    unsigned index = (s.step + shape.plainOffset) % 96u;
    for (std::size_t i = 0; i < ctx.frame.size(); ++i) {
        ctx.frame.set(i, ctx.settings.colour, scaleLevel(tables::kWave[index], ctx.settings.brightness()));
        index = (index + shape.plainSpacing) % 96;
    }
}

// Pairs of LEDs that light together in the pair flow, outermost first.
constexpr std::array<std::array<uint8_t, 2>, 7> kPairs{
    {{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};

/// Advances the step; on every second frame feeds new presses in and moves them one place.
void advanceFlow(EffectContext& ctx, std::size_t flagCount, bool towardsHigher) {
    EngineState& s = ctx.state;
    s.step = stepPhase(ctx.settings.forward(), 192, s.step, 1);
    s.frameCounter ^= 1;
    if (s.frameCounter) {
        startPresses(s, ctx.frame.size());
        shiftPresses(s, flagCount, towardsHigher);
    }
}

bool headLit(const EffectContext& ctx) {
    const std::size_t head = ctx.settings.direction == 1 ? 0 : ctx.frame.size() - 1;
    return ctx.state.level[head] != 0;
}

}  // namespace

void mousePadWave(EffectContext& ctx) {
    drawWave(ctx, kMousePadWave);
}
void headsetWave(EffectContext& ctx) {
    drawWave(ctx, kHeadsetWave);
}

void pairFlow(EffectContext& ctx) {
    advanceFlow(ctx, 8, ctx.settings.direction == 0);
    EngineState& s = ctx.state;
    for (std::size_t p = 0; p < kPairs.size(); ++p) {
        s.level[p] = fadeLevel(ctx.settings.mode, s.level[p]);
        const Rgb colour = effects::flowColour(ctx, kPairs[p][0], headLit(ctx));
        const uint8_t level = scaleLevel(s.level[p], ctx.settings.brightness());
        for (uint8_t led : kPairs[p]) ctx.frame.set(led, colour, level);  // LEDs past the count are ignored
    }
}

void flow(EffectContext& ctx) {
    advanceFlow(ctx, kPressFlagCount, ctx.settings.direction == 1);
    EngineState& s = ctx.state;
    for (std::size_t i = 0; i < ctx.frame.size(); ++i) {
        s.level[i] = fadeLevel(ctx.settings.mode, s.level[i]);
        const Rgb colour = effects::flowColour(ctx, i, headLit(ctx));
        ctx.frame.set(i, colour, scaleLevel(s.level[i], ctx.settings.brightness()));
    }
}

}  // namespace halvern::pad
