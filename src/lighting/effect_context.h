#pragma once

#include "lighting/engine_state.h"
#include "lighting/led_frame.h"
#include "lighting/light_settings.h"

namespace halvern {

/// What one effect step works on: the settings it reads, the state it advances, the frame it writes, and
/// the time of the pass that runs it.
struct EffectContext {
    const LightSettings& settings;
    EngineState& state;
    LedFrame& frame;
    Millis now = 0;
};

using EffectFn = void (*)(EffectContext&);

}  // namespace halvern
