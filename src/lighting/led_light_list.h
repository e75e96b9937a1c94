#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "lighting/led_frame.h"
#include "lighting/types.h"

namespace halvern {

/// One LED's own light setting, drawn on top of the device's effect.
struct LedLightEntry {
    uint8_t mode = 4;  // 0 breathing, 1 static, 2 blink, 3 spectrum, 4 off
    uint8_t brightnessLevel = 4;
    uint8_t speedLevel = 2;
    uint8_t direction = 0;
    uint8_t colourful = 0;
    Rgb colour{};
    bool present = false;  // absent entries leave their LED to the effect
};

/// The per-LED light list: entry i drives LED i. The interface thread replaces the list while the
/// lighting thread draws it; both go through the list's own lock.
class LedLightList {
public:
    /// Replaces the list and restarts every LED's phase and colour index.
    void replace(std::vector<LedLightEntry> entries);
    [[nodiscard]] bool empty() const;

    /// One pass of the lighting thread: advance every entry's state at `now`, then draw it into `frame`.
    void applyPass(LedFrame& frame, Millis now);
    /// The state half of a pass, without drawing.
    void advance(Millis now);
    void draw(LedFrame& frame);

    /// Takes `passes` passes at once. Only for passes before nextChange(): in them only the spectrum
    /// counters move.
    void skipPasses(Millis passes);

    /// The earliest pass after `lastPass` at which the drawn LEDs can differ from the last drawing;
    /// kNever when nothing will change.
    [[nodiscard]] Millis nextChange(Millis lastPass) const;

    static constexpr Millis kNever = INT64_MAX;

private:
    struct LedState {
        uint8_t phase = 0;
        uint8_t colourIndex = 0;
        uint8_t counter = 0;
        bool blinkOn = false;
        Millis blinkTime = 0;
    };

    void advanceLocked(Millis now);
    void drawLocked(LedFrame& frame);

    mutable std::mutex m_mutex;
    std::vector<LedLightEntry> m_entries;
    std::array<LedState, kMaxLeds> m_state{};
    bool m_needsDraw = false;
};

}  // namespace halvern
