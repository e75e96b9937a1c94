#pragma once

#include "lighting/lighting_engine.h"

namespace halvern::test {

/// Settings with the fields a test cares about.
inline LightSettings settingsFor(uint8_t mode, uint8_t speed = 2, bool colourful = false,
                                 uint8_t direction = 0) {
    LightSettings s;
    s.mode = mode;
    s.speedLevel = speed;
    s.colourful = colourful ? 1 : 0;
    s.direction = direction;
    s.colour = {10, 20, 30};
    return s;
}

/// An engine of `kind` that has just switched to the mode of `settings` (its start action done).
class ModeEngine : public LightingEngine {
public:
    ModeEngine(DeviceKind kind, const LightSettings& settings, uint32_t seed = 1)
        : LightingEngine(kind, seed) {
        applySettings(settings);
        if (settings.mode == 0) restartMode();
    }
};

}  // namespace halvern::test
