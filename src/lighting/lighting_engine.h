#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "lighting/custom_sequence.h"
#include "lighting/device_model.h"
#include "lighting/engine_state.h"
#include "lighting/led_frame.h"
#include "lighting/led_light_list.h"
#include "lighting/light_settings.h"
#include "lighting/tick_counter.h"

namespace halvern {

/// The light effects of one device: its settings, effect state, per-LED light list, custom sequence and
/// the frame they are computed into.
///
/// Timing follows a lighting thread that passes once every millisecond (see TickCounter), but nothing
/// here waits: runDue(now) runs every pass that such a thread would have run up to `now`, and nextDue()
/// says when the next pass that changes anything falls, so the caller can sleep until then. Waking
/// early is harmless; waking later only delays the frame, never changes the sequence of frames.
///
/// Not thread-safe apart from the light list and the sequence: the owner serialises calls (see
/// DeviceLighting, where readers and changes drive the engine under one lock).
class LightingEngine {
public:
    explicit LightingEngine(DeviceKind kind, uint32_t seed = 1);

    [[nodiscard]] const DeviceModel& model() const { return *m_model; }
    [[nodiscard]] const LightSettings& settings() const { return m_settings; }
    [[nodiscard]] const LedFrame& frame() const { return m_frame; }
    /// The frame for the device's own drawing on top of the effect (and for tests).
    [[nodiscard]] LedFrame& frame() { return m_frame; }
    [[nodiscard]] EngineState& state() { return m_state; }
    [[nodiscard]] const EngineState& state() const { return m_state; }
    [[nodiscard]] LedLightList& lightList() { return m_lightList; }
    [[nodiscard]] CustomSequence& sequence() { return m_sequence; }

    /// New settings; a change of mode runs the new mode's start action.
    void applySettings(const LightSettings& settings);
    /// Runs the current mode's start action as if the mode had just been chosen.
    void restartMode();
    /// Call after changing state() or frame() directly: the next due step draws again.
    void invalidate();

    /// Replaces the per-LED light list. The mouse draws it once, now; the others on every pass.
    void loadLightList(std::vector<LedLightEntry> entries, Millis now);
    void loadSequence(std::vector<SequenceStep> steps) { m_sequence.replace(std::move(steps)); }

    /// Band levels from the sound analysis (9 used on the mouse, 25 on the keyboard).
    void deliverAudioLevels(std::span<const int32_t> levels);
    /// The keyboard's external colour input: values 0-2 are red, green and blue.
    void deliverExternalColour(std::span<const int32_t> values);
    /// A button (mouse) or logical key (keyboard) was pressed.
    void press(int key);
    /// The keyboard's per-key colours for mode 20 (the first 170 are used).
    void setCustomColours(std::span<const Rgb> colours);

    /// One call of the current mode's effect at `now`, ignoring the timing (the custom sequence: one pass).
    void runEffect(Millis now);

    /// The lighting thread starts at `now`; its first pass is at now + 1.
    void start(Millis now);
    /// Runs every pass due up to `now`. True when the frame may have changed.
    bool runDue(Millis now);
    /// When the next pass that changes anything is due; kNever when nothing will change on its own.
    [[nodiscard]] Millis nextDue() const;
    /// Whether the effect has drawn into the frame since the engine started (until then it is blank).
    [[nodiscard]] bool drawn() const { return m_drawn; }

    static constexpr Millis kNever = INT64_MAX;
    /// A thread held up longer than this (a suspended machine) resumes instead of replaying every pass.
    static constexpr Millis kMaxCatchUp = 1000;

private:
    [[nodiscard]] EffectContext context(Millis now);
    [[nodiscard]] const ModeEntry& currentMode() const { return m_model->mode(m_settings.mode); }
    [[nodiscard]] Millis effectDue() const;
    [[nodiscard]] bool steadyShown() const { return m_steadyShown && currentMode().steady; }
    void runPass(Millis now);
    void skipPasses(Millis until);

    const DeviceModel* m_model;
    LightSettings m_settings;
    EngineState m_state;
    LedFrame m_frame;
    LedLightList m_lightList;
    CustomSequence m_sequence;
    TickCounter m_ticks;
    Millis m_lastPass = 0;
    bool m_started = false;
    bool m_drawn = false;
    bool m_overlayPending = false;  // the light list moved since it was last drawn
    bool m_steadyShown = false;     // a steady mode's picture is in the frame
};

}  // namespace halvern
