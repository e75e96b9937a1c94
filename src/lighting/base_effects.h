#pragma once

#include "lighting/effect_context.h"

namespace halvern::effects {

/// The effects every device shares. Each call computes one frame into ctx.frame.
void colourBreathing(EffectContext& ctx);
void fourColourBreathing(EffectContext& ctx);
void staticColour(EffectContext& ctx);
void spectrumCycle(EffectContext& ctx);
void blink(EffectContext& ctx);
void fourColourBlink(EffectContext& ctx);
void allOff(EffectContext& ctx);

/// The colour of a flowing LED: the single colour; when colourful, the step advances 12 places for a new
/// wheel colour, which the LED takes unless a press is still visible at the flow's head (then it keeps
/// the colour it shows, so one press carries one colour along).
[[nodiscard]] Rgb flowColour(EffectContext& ctx, std::size_t presentLed, bool headLit);

/// One frame of a reactive light: a rising LED gains 15 up to 255 and then falls by `fallBy` per frame
/// down to 0, where it rests.
void stepReactive(EngineState& state, std::size_t led, uint8_t fallBy);

/// The single colour, or wheel[index] when the colourful flag is set.
[[nodiscard]] Rgb chooseColour(const LightSettings& settings, uint8_t index);

}  // namespace halvern::effects
