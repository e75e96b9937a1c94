#include "lighting/base_effects.h"

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern::effects {

namespace {

// The colour step and the step are shared by all of a device's effects, so a counter may arrive here
// with a value another effect left behind: the four-colour effects wrap with ">=" so that such a value
// can never index past their 4-entry table.
uint8_t nextFourColourIndex(uint8_t index) {
    return index + 1 >= 4 ? uint8_t{0} : static_cast<uint8_t>(index + 1);
}

void breathe(EffectContext& ctx, Rgb colour) {
    const uint8_t level = scaleLevel(tables::kBreathing[ctx.state.step & 0x7F], ctx.settings.brightness());
    ctx.frame.fill(colour, level);
}

/// Toggles the blink state when the blink period has passed; true when it toggled.
bool blinkToggled(EffectContext& ctx) {
    if (ctx.now - ctx.state.blinkTime < tables::blinkPeriod(ctx.settings.speed())) return false;
    ctx.state.blinkOn = !ctx.state.blinkOn;
    ctx.state.blinkTime = ctx.now;
    return true;
}

}  // namespace

Rgb chooseColour(const LightSettings& settings, uint8_t index) {
    return settings.isColourful() ? tables::wheel(index) : settings.colour;
}

Rgb flowColour(EffectContext& ctx, std::size_t presentLed, bool headLit) {
    if (!ctx.settings.isColourful()) return ctx.settings.colour;
    ctx.state.step = static_cast<uint8_t>(ctx.state.step + 12);
    return headLit ? ctx.frame.colour(presentLed) : tables::wheel(ctx.state.step % 192);
}

void stepReactive(EngineState& state, std::size_t led, uint8_t fallBy) {
    if (led >= kMaxLeds) return;
    uint8_t& level = state.level[led];
    if (state.reactive[led] == 1) {
        level = level >= 240 ? uint8_t{255} : static_cast<uint8_t>(level + 15);
        if (level == 255) state.reactive[led] = 2;
    } else if (state.reactive[led] == 2) {
        level = level <= fallBy ? uint8_t{0} : static_cast<uint8_t>(level - fallBy);
        if (level == 0) state.reactive[led] = 0;
    }
}

void colourBreathing(EffectContext& ctx) {
    EngineState& s = ctx.state;
    s.step = stepPhase(ctx.settings.forward(), 128, s.step, 1);
    if (s.step == 0) {
        s.colourStep = static_cast<uint8_t>(s.colourStep + 16);
        if (s.colourStep > 192) s.colourStep = 0;
    }
    breathe(ctx, chooseColour(ctx.settings, s.colourStep));
}

void fourColourBreathing(EffectContext& ctx) {
    EngineState& s = ctx.state;
    s.step = stepPhase(ctx.settings.forward(), 128, s.step, 1);
    if (s.step == 0) s.colourStep = nextFourColourIndex(s.colourStep);
    breathe(ctx, tables::kFourColours[s.colourStep % 4]);
}

void staticColour(EffectContext& ctx) {
    ctx.frame.fill(ctx.settings.colour, ctx.settings.brightness());
}

void spectrumCycle(EffectContext& ctx) {
    ctx.state.step = stepPhase(ctx.settings.forward(), 192, ctx.state.step, 1);
    ctx.frame.fill(tables::wheel(ctx.state.step), ctx.settings.brightness());
}

void blink(EffectContext& ctx) {
    EngineState& s = ctx.state;
    if (blinkToggled(ctx)) {
        s.step = static_cast<uint8_t>(s.step + 16);
        if (s.step >= 192) s.step = 0;
    }
    if (s.blinkOn) {
        ctx.frame.fill(chooseColour(ctx.settings, s.step), ctx.settings.brightness());
    } else {
        ctx.frame.fill({}, 0);
    }
}

void fourColourBlink(EffectContext& ctx) {
    EngineState& s = ctx.state;
    if (blinkToggled(ctx)) s.step = nextFourColourIndex(s.step);
    if (s.blinkOn) {
        ctx.frame.fill(tables::kFourColours[s.step % 4], ctx.settings.brightness());
    } else {
        ctx.frame.fill({}, 0);
    }
}

void allOff(EffectContext& ctx) {
    ctx.frame.fill({}, 0);
}

}  // namespace halvern::effects
