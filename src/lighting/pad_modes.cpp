#include <array>

#include "lighting/base_effects.h"
#include "lighting/device_model.h"
#include "lighting/pad_effects.h"
#include "lighting/press_flags.h"

namespace halvern {

namespace {

void restartPresses(EffectContext& ctx) {
    clearPresses(ctx.state);
    ctx.state.pressFlags[0] = 1;
}

constexpr ModeEntry ticked(EffectFn effect) {
    return {effect, Cadence::Threshold, &tables::kBaseRow, nullptr};
}

/// The mouse pad and the headset have the same modes; only their waves differ.
constexpr std::array<ModeEntry, 9> padModes(EffectFn wave) {
    return {ticked(wave),                           // 0
            ticked(effects::spectrumCycle),         // 1
            ticked(effects::colourBreathing),       // 2
            steady(ticked(effects::staticColour)),  // 3
            ticked(effects::blink),                 // 4
            ModeEntry{},                            // 5: the custom sequence
            ticked(pad::flow),                      // 6
            ticked(pad::pairFlow),                  // 7
            steady(ticked(effects::allOff))};       // 8
}

constexpr std::array<ModeEntry, 9> kMousePadModes = padModes(pad::mousePadWave);
constexpr std::array<ModeEntry, 9> kHeadsetModes = padModes(pad::headsetWave);

}  // namespace

const DeviceModel models::kMousePad{DeviceKind::MousePad,
                                    "mousepad",
                                    pad::kMousePadLedCount,
                                    TickRule::EveryPass,
                                    true,
                                    0,
                                    kMousePadModes,
                                    ModeEntry{},
                                    restartPresses,
                                    nullptr,
                                    nullptr};

const DeviceModel models::kHeadset{DeviceKind::Headset,
                                   "headset",
                                   pad::kHeadsetLedCount,
                                   TickRule::EveryPass,
                                   true,
                                   0,
                                   kHeadsetModes,
                                   ModeEntry{},
                                   restartPresses,
                                   nullptr,
                                   nullptr};

}  // namespace halvern
