#include "lighting/mouse_effects.h"

#include "lighting/base_effects.h"
#include "lighting/fade.h"
#include "lighting/press_flags.h"
#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern::mouse {

namespace {

// Wave and flow address the mouse by LED groups: groups 0-5 hold one LED each, group 6 none.
constexpr std::size_t kGroupCount = 7;
constexpr std::size_t groupLed(std::size_t group) {
    return group;
}
constexpr bool groupHasLed(std::size_t group) {
    return group < kLedCount;
}

}  // namespace

void wave(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const bool colourful = ctx.settings.isColourful();
    const uint8_t period = colourful ? 192 : 96;
    s.step = stepPhase(ctx.settings.forward(), period, s.step, 1);
    unsigned index = (s.step + 1u) % period;
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        if (groupHasLed(g)) {
            if (colourful) {
                ctx.frame.set(groupLed(g), tables::wheel(static_cast<uint8_t>(index)),
                              ctx.settings.brightness());
            } else {
                ctx.frame.set(groupLed(g), ctx.settings.colour,
                              scaleLevel(tables::kWave[index], ctx.settings.brightness()));
            }
        }
        index = (index + 7) % period;
    }
}

void flow(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const bool towardsHigher = ctx.settings.direction == 0;
    s.step = stepPhase(towardsHigher, 192, s.step, 1);
    startPresses(s, 9);
    shiftPresses(s, kPressFlagCount, towardsHigher);
    // The head is where new presses enter; level 6 has no LED but its level is tracked like the others.
    const std::size_t head = towardsHigher ? 0 : 6;
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        s.level[g] = fadeLevel(ctx.settings.mode, s.level[g]);
        const Rgb colour = effects::flowColour(ctx, groupLed(g), s.level[head] != 0);
        if (groupHasLed(g))
            ctx.frame.set(groupLed(g), colour, scaleLevel(s.level[g], ctx.settings.brightness()));
    }
}

void triggerReactive(EngineState& state) {
    for (std::size_t i = 0; i < kLedCount; ++i) {
        state.reactive[i] = 1;
        state.level[i] = 255;
        state.colourIndex[i] = static_cast<uint8_t>(state.nextRandom() % 192);
    }
}

void reactiveFade(EffectContext& ctx) {
    EngineState& s = ctx.state;
    for (std::size_t i = 0; i < ctx.frame.size(); ++i) {
        effects::stepReactive(s, i, 15);
        ctx.frame.set(i, effects::chooseColour(ctx.settings, s.colourIndex[i]),
                      scaleLevel(s.level[i], ctx.settings.brightness()));
    }
}

}  // namespace halvern::mouse
