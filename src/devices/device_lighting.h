#pragma once

#include <mutex>

#include "lighting/led_frame.h"
#include "lighting/lighting_engine.h"
#include "lighting/steady_clock.h"

namespace halvern {

class CMerivexUSBDevice;

/// A device page's lighting: the effect engine of its kind, shared between the threads that change it and
/// read its frames (the window's preview, the device queue's stream). No thread of its own steps it: every
/// read and change first runs the passes due by now, which gives exactly the frames of a thread waking each
/// millisecond, so an effect costs only when somebody looks at it and never wakes the process by itself.
/// Until start() the engine is not run by the clock: the caller drives it directly (the command line does).
class DeviceLighting {
public:
    explicit DeviceLighting(DeviceKind kind);
    DeviceLighting(const DeviceLighting&) = delete;
    DeviceLighting& operator=(const DeviceLighting&) = delete;

    /// Starts (or starts again) running the engine by the clock.
    void start();
    void stop();
    [[nodiscard]] bool running() const;

    /// Runs fn(engine) under the lock; once started, after the passes due so far (what fn changes is drawn
    /// at the next pass).
    template <typename Fn>
    void update(Fn&& fn) {
        std::scoped_lock lock(m_mutex);
        if (m_running) m_engine.runDue(steadyMillis());
        fn(m_engine);
        if (m_running) m_engine.invalidate();
    }

    /// Copies the current frame into the device's LED colours (what the preview shows).
    void copyFrameTo(CMerivexUSBDevice& device);
    /// Copies the current frame into `out` (sized for the engine's LEDs) and returns when the effect's
    /// next step is due (LightingEngine::kNever: not on its own). Safe from any thread.
    Millis snapshot(LedFrame& out);
    /// Copies the current frame into `out`, after running the engine on to the effect's first step when it
    /// has not drawn yet (just started: its frame is blank until then): for a frame sent on its own.
    void nextFrame(LedFrame& out);

private:
    mutable std::mutex m_mutex;
    LightingEngine m_engine;
    LedFrame m_snapshot;
    bool m_running = false;
};

}  // namespace halvern
