#include <array>

#include "lighting/base_effects.h"
#include "lighting/device_model.h"
#include "lighting/keyboard_effects.h"
#include "lighting/keyboard_layout.h"

namespace halvern {

namespace keyboard {

void resetEffects(EffectContext& ctx) {
    ctx.state.step = 0;
    ctx.state.colourIndex.fill(0);
    ctx.state.music.reset();
}

void setFirstPressFlag(EffectContext& ctx) {
    ctx.state.pressFlags[0] = 1;
}

void startColourDrift(EffectContext& ctx) {
    for (std::size_t key = 0; key < kKeyCount; ++key)
        ctx.state.colourIndex[key] = static_cast<uint8_t>((33 * key) % 192);
}

void startMusic(EffectContext& ctx) {
    ctx.state.music.reset();
    setFirstPressFlag(ctx);
}

}  // namespace keyboard

namespace {

using namespace keyboard;

constexpr ModeEntry ticked(EffectFn effect, StartFn start = setFirstPressFlag,
                           const tables::ThresholdRow& row = tables::kKeyboardRow) {
    return {effect, Cadence::Threshold, &row, start};
}
constexpr ModeEntry kSequence{nullptr, Cadence::Sequence, nullptr, setFirstPressFlag};

constexpr std::array<ModeEntry, 31> kKeyboardModes{
    kSequence,                                                                        // 0
    ticked(columnWave),                                                               // 1
    ticked(columnSparkWave),                                                          // 2
    ticked(snakeWave),                                                                // 3
    ticked(effects::spectrumCycle),                                                   // 4
    ticked(columnBreathing),                                                          // 5
    steady(ticked(staticOrDiagonals)),                                                // 6
    ticked(reactiveKeys),                                                             // 7
    ticked(ripples),                                                                  // 8
    ticked(clearingRipples),                                                          // 9
    ticked(sparkle),                                                                  // 10
    ticked(colourDrift, startColourDrift),                                            // 11
    ticked(rowWave),                                                                  // 12
    ticked(risingRipples, startRisingRipples),                                        // 13
    ticked(demo),                                                                     // 14
    ticked(sparkField, startSparkField),                                              // 15
    ticked(sweepingRipples, startSweepingRipples),                                    // 16
    steady(ticked(fixedColour)),                                                      // 17
    ticked(diagonalWave),                                                             // 18
    kSequence,                                                                        // 19
    steady(ticked(customColours)),                                                    // 20
    ticked(snakeFill),                                                                // 21
    ticked(sweepField, startSweepField),                                              // 22
    ticked(effects::blink),                                                           // 23
    ticked(rings),                                                                    // 24
    ticked(reactiveKeys),                                                             // 25
    ticked(effects::fourColourBreathing),                                             // 26
    ticked(effects::fourColourBlink),                                                 // 27
    steady(ticked(effects::allOff)),                                                  // 28
    ticked(keyboard::music, startMusic, tables::kEveryTwoTicks),                      // 29
    steady(ticked(externalColour, setFirstPressFlag, tables::kKeyboardExternalRow)),  // 30
};

}  // namespace

const DeviceModel models::kKeyboard{
    DeviceKind::Keyboard, "keyboard", keyboard::kKeyCount, TickRule::CountedMillis,        true,      25,
    kKeyboardModes,       kSequence,  resetEffects,        keyboard::musicLevelsDelivered, keyPressed};

}  // namespace halvern
