#pragma once

#include "lighting/effect_context.h"

namespace halvern::pad {

inline constexpr std::size_t kMousePadLedCount = 15;
inline constexpr std::size_t kHeadsetLedCount = 13;

/// The mouse pad and the headset share their effects; only the wave's constants differ.
void mousePadWave(EffectContext& ctx);
void headsetWave(EffectContext& ctx);
void pairFlow(EffectContext& ctx);  // mode 7
void flow(EffectContext& ctx);      // mode 6

}  // namespace halvern::pad
