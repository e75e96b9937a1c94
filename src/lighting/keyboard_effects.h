#pragma once

#include "lighting/effect_context.h"

namespace halvern::keyboard {

// Colour and wave effects (keyboard_waves.cpp).
void columnWave(EffectContext& ctx);         // 1
void columnSparkWave(EffectContext& ctx);    // 2
void snakeWave(EffectContext& ctx);          // 3
void columnBreathing(EffectContext& ctx);    // 5
void staticOrDiagonals(EffectContext& ctx);  // 6
void colourDrift(EffectContext& ctx);        // 11
void rowWave(EffectContext& ctx);            // 12
void fixedColour(EffectContext& ctx);        // 17
void diagonalWave(EffectContext& ctx);       // 18
void customColours(EffectContext& ctx);      // 20
void externalColour(EffectContext& ctx);     // 30

// Press-driven and travelling effects (keyboard_ripples.cpp).
void reactiveKeys(EffectContext& ctx);     // 7, 25
void ripples(EffectContext& ctx);          // 8
void clearingRipples(EffectContext& ctx);  // 9
void risingRipples(EffectContext& ctx);    // 13
void demo(EffectContext& ctx);             // 14
void sweepingRipples(EffectContext& ctx);  // 16
void snakeFill(EffectContext& ctx);        // 21
void rings(EffectContext& ctx);            // 24

// Sparks (keyboard_sparks.cpp).
void sparkle(EffectContext& ctx);     // 10
void sparkField(EffectContext& ctx);  // 15
void sweepField(EffectContext& ctx);  // 22

// The music mode (keyboard_music.cpp).
void music(EffectContext& ctx);  // 29
void musicLevelsDelivered(EffectContext& ctx);

// Start actions.
void resetEffects(EffectContext& ctx);
void startColourDrift(EffectContext& ctx);
void startRisingRipples(EffectContext& ctx);
void startSweepingRipples(EffectContext& ctx);
void startSparkField(EffectContext& ctx);
void startSweepField(EffectContext& ctx);
void startMusic(EffectContext& ctx);
void setFirstPressFlag(EffectContext& ctx);

/// A key press: starts the key's reactive light (modes 7, 25) or a ripple from it (modes 8, 9).
void keyPressed(EffectContext& ctx, int key);

}  // namespace halvern::keyboard
