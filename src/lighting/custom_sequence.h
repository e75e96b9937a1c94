#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "lighting/led_frame.h"
#include "lighting/types.h"

namespace halvern {

/// One step of a user-made effect sequence.
struct SequenceStep {
    uint8_t type = 0;  // 0 breathing, 1 static, 2 blink, 4 wave, 5 spectrum; others leave the frame alone
    uint8_t brightnessLevel = 4;
    uint8_t speedLevel = 2;
    uint8_t direction = 0;
    uint8_t colourful = 0;
    Rgb colour{};
    uint32_t durationMs = 1000;
};

/// The custom effect sequence that runs in the modes above a device's built-in ones: its steps play one
/// after the other, each for its duration. Replaced by the interface thread and run by the lighting
/// thread under the sequence's own lock.
class CustomSequence {
public:
    void replace(std::vector<SequenceStep> steps);
    /// Makes the next pass draw the frame even if nothing moved (the frame was drawn by another effect).
    void invalidate();

    /// One pass of the lighting thread at `now`. The frame is drawn when what the sequence shows changed,
    /// or always when `alwaysDraw` is set (which is what a thread waking every millisecond does; both
    /// leave the same frame). `deviceSpeed` is the device's own speed level (it times the blink).
    void pass(LedFrame& frame, Millis now, uint8_t deviceSpeed, bool alwaysDraw);

    /// Takes `passes` passes at once. Only for passes before nextChange(): they move counters, never
    /// the picture or the step.
    void skipPasses(Millis passes);

    /// The earliest pass after `lastPass` at which the sequence can show something new; kNever when it
    /// will not change.
    [[nodiscard]] Millis nextChange(Millis lastPass, uint8_t deviceSpeed) const;

    static constexpr Millis kNever = INT64_MAX;

private:
    /// Advances the counters for one pass of `step`; true when the picture changed.
    bool advanceStep(const SequenceStep& step, Millis now, uint8_t deviceSpeed);
    void draw(const SequenceStep& step, LedFrame& frame) const;

    mutable std::mutex m_mutex;
    std::vector<SequenceStep> m_steps;
    std::size_t m_index = 0;
    bool m_started = false;  // the step start time is taken at the first pass
    Millis m_stepStart = 0;
    uint8_t m_passCounter = 0;
    uint8_t m_phase = 0;
    bool m_blinkOn = false;
    Millis m_blinkTime = 0;
    uint8_t m_blinkColourIndex = 0;
    bool m_needsDraw = true;
};

}  // namespace halvern
