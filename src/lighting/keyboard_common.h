#pragma once

#include "lighting/base_effects.h"
#include "lighting/effect_context.h"
#include "lighting/fade.h"
#include "lighting/keyboard_layout.h"
#include "lighting/step.h"

namespace halvern::keyboard {

/// Calls fn(key, column, row) for every key of the column matrix.
template <typename Fn>
void forEachMatrixKey(Fn&& fn) {
    for (std::size_t c = 0; c < kColumns; ++c) {
        for (std::size_t r = 0; r < kRows; ++r) {
            const uint8_t key = kColumnMatrix[c][r];
            if (key != kNoKey) fn(key, c, r);
        }
    }
}

/// The key shows its colour (wheel[its colour index] when colourful, else the single colour) at its level.
inline void showKey(EffectContext& ctx, uint8_t key) {
    ctx.frame.set(key, effects::chooseColour(ctx.settings, ctx.state.colourIndex[key]),
                  scaleLevel(ctx.state.level[key], ctx.settings.brightness()));
}

/// Every one of the 170 keys fades by the current mode's rule and shows its colour.
inline void fadeAndShowAll(EffectContext& ctx) {
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        ctx.state.level[key] = fadeLevel(ctx.settings.mode, ctx.state.level[key]);
        showKey(ctx, static_cast<uint8_t>(key));
    }
}

/// Advances the main step by one place in the direction; the period depends on the colourful flag.
inline uint8_t advanceWaveStep(EffectContext& ctx, uint8_t period) {
    ctx.state.step = stepPhase(ctx.settings.forward(), period, ctx.state.step, 1);
    return ctx.state.step;
}

}  // namespace halvern::keyboard
