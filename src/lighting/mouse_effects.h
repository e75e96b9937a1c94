#pragma once

#include "lighting/effect_context.h"
#include "lighting/press_bitmaps.h"

namespace halvern::mouse {

inline constexpr std::size_t kLedCount = 6;

/// The mouse's press table: 7 columns of 3 places; place 0 of columns 1-6 holds LEDs 5 to 0, the other
/// values name places without an LED (they still answer button presses).
inline constexpr std::array<uint8_t, 21> kPressCells{6, 7, 15, 5, 8, 6,  4, 9, 6,  3, 10,
                                                     6, 2, 11, 6, 1, 12, 6, 0, 13, 14};
inline constexpr PressGrid kPressGrid{kPressCells, 7, 3, kLedCount};

void wave(EffectContext& ctx);
void flow(EffectContext& ctx);  // modes 5 and 9
void reactiveFade(EffectContext& ctx);

/// A button press while the reactive mode runs: every LED starts rising with a random colour.
void triggerReactive(EngineState& state);

/// The music mode: runs the style chosen in the music settings.
void music(EffectContext& ctx);
void musicColumn(EffectContext& ctx);   // style 0
void musicBar(EffectContext& ctx);      // style 1
void musicScatter(EffectContext& ctx);  // style 3
void musicPulse(EffectContext& ctx);    // style 5

/// Delivery of the band levels while the music mode runs; drives style 5's pulse input.
void musicLevelsDelivered(EffectContext& ctx);

}  // namespace halvern::mouse
