#pragma once

#include <cstdint>
#include <optional>

#include "lighting/types.h"

namespace halvern {

/// The effects every device kind can run in step with the others.
enum class SharedEffect : uint8_t { Breathing, Static, Blink, Spectrum, Off };

/// The shared effect of light mode `mode` on a device of cable type code `typeCode` (1 keyboard, 2 mouse,
/// 3 mouse pad, 7 headset; a receiver's device is looked up by its cable twin's code); nothing when the mode
/// has no shared equivalent or the kind has no mapping.
[[nodiscard]] std::optional<SharedEffect> SharedEffectOfMode(uint16_t typeCode, int mode);
/// The light mode that runs `effect` on a device of `typeCode`; nothing for a kind without a mapping.
[[nodiscard]] std::optional<int> ModeOfSharedEffect(uint16_t typeCode, SharedEffect effect);

/// What every device takes part in.
struct SharedEffectSettings {
    SharedEffect effect = SharedEffect::Static;
    uint8_t brightness = 4;  ///< level 0-4 (higher counts as 4)
    uint8_t speed = 2;       ///< level 0-4 (higher counts as 4)
    uint8_t direction = 0;
    bool colourful = false;
    Rgb colour{};
};

/// The one animation all synchronised devices show. A step falls every 2 × threshold(speed) ms after the
/// start (the pace of a loop that counts a tick whenever the millisecond clock moved on by more than one);
/// the caller sleeps until nextStep() and then calls advance(). Steps that change nothing are not
/// scheduled: a static or off effect steps once, a blink only when it toggles.
class SharedAnimation {
public:
    static constexpr Millis kNever = INT64_MAX;

    /// Starts `settings` at `now`; the animation counters keep their values (the colour wheel goes on where
    /// it was).
    void start(const SharedEffectSettings& settings, Millis now);
    void stop() { m_running = false; }
    [[nodiscard]] bool running() const { return m_running; }
    [[nodiscard]] const SharedEffectSettings& settings() const { return m_settings; }

    /// When the next step that can change the colour is due; kNever when none is.
    [[nodiscard]] Millis nextStep() const;
    /// Runs every step due at or before `now`, each at its own time. True when colour or level changed.
    bool advance(Millis now);

    /// The colour every LED shows: red | green << 8 | blue << 16 | level << 24.
    [[nodiscard]] uint32_t packed() const;

private:
    void step(Millis now);
    [[nodiscard]] Millis stepTime(int64_t index) const { return m_origin + index * m_period; }

    SharedEffectSettings m_settings;
    bool m_running = false;
    Millis m_origin = 0;
    Millis m_period = 2;
    int64_t m_nextIndex = 1;  ///< the next step on the grid (step k falls at origin + k × period)
    bool m_steppedOnce = false;
    // Animation counters, kept across starts.
    uint8_t m_breathingStep = 0;
    uint8_t m_colourIndex = 0;
    uint8_t m_spectrumStep = 0;
    bool m_blinkOn = false;
    Millis m_blinkTime = 0;
    uint8_t m_blinkColourIndex = 0;
    // What the LEDs show.
    Rgb m_colour{};
    uint8_t m_level = 0;
};

}  // namespace halvern
