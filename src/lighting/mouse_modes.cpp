#include <array>

#include "lighting/base_effects.h"
#include "lighting/device_model.h"
#include "lighting/mouse_effects.h"
#include "lighting/press_flags.h"

namespace halvern {

namespace {

using tables::kBaseRow;

void restartPresses(EffectContext& ctx) {
    clearPresses(ctx.state);
    ctx.state.pressFlags[0] = 1;
}

void startMusic(EffectContext& ctx) {
    ctx.state.music.reset();
}

void buttonPressed(EffectContext& ctx, int /*key*/) {
    if (ctx.settings.mode == 6) mouse::triggerReactive(ctx.state);
}

constexpr ModeEntry ticked(EffectFn effect, const tables::ThresholdRow& row = kBaseRow,
                           StartFn start = nullptr) {
    return {effect, Cadence::Threshold, &row, start};
}

constexpr std::array<ModeEntry, 12> kMouseModes{
    ticked(mouse::wave),                                       // 0
    ticked(effects::spectrumCycle),                            // 1
    ticked(effects::colourBreathing),                          // 2
    steady(ticked(effects::staticColour)),                     // 3
    ticked(effects::blink),                                    // 4
    ticked(mouse::flow, tables::kMouseFlowRow),                // 5
    ticked(mouse::reactiveFade),                               // 6
    ticked(effects::fourColourBreathing),                      // 7
    ticked(effects::fourColourBlink),                          // 8
    ticked(mouse::flow),                                       // 9
    steady(ticked(effects::allOff)),                           // 10
    ticked(mouse::music, tables::kEveryTwoTicks, startMusic),  // 11
};

}  // namespace

const DeviceModel models::kMouse{DeviceKind::Mouse,
                                 "mouse",
                                 mouse::kLedCount,
                                 TickRule::CountedMillis,
                                 false,
                                 9,
                                 kMouseModes,
                                 ModeEntry{},  // 12 and above: the custom sequence, every pass
                                 restartPresses,
                                 mouse::musicLevelsDelivered,
                                 buttonPressed};

}  // namespace halvern
