#pragma once

#include <memory>
#include <mutex>

#include "lighting/led_frame.h"
#include "lighting/lighting_engine.h"
#include "lighting/lighting_thread.h"

namespace halvern {

class CMerivexUSBDevice;

/// A device page's lighting: the effect engine of its kind and the thread that steps it. Until start()
/// the engine is driven directly by the caller; afterwards every change goes through the thread, which
/// sleeps until the effect's next step is due.
class DeviceLighting {
public:
    explicit DeviceLighting(DeviceKind kind);
    ~DeviceLighting();
    DeviceLighting(const DeviceLighting&) = delete;
    DeviceLighting& operator=(const DeviceLighting&) = delete;

    /// Starts the thread, restarting a running one.
    void start();
    void stop();
    [[nodiscard]] bool running() const { return m_thread != nullptr; }

    /// Runs fn(engine) where the engine is safe to change: on the thread's lock, or directly.
    template <typename Fn>
    void update(Fn&& fn) {
        std::scoped_lock lock(m_mutex);
        if (m_thread) {
            m_thread->update(std::forward<Fn>(fn));
        } else {
            fn(m_engine);
        }
    }

    /// Copies the current frame into the device's LED colours (what the preview shows).
    void copyFrameTo(CMerivexUSBDevice& device);
    /// Copies the current frame into `out` (sized for the engine's LEDs) and returns when the effect's
    /// next step is due (LightingEngine::kNever: not on its own). Safe from any thread.
    Millis snapshot(LedFrame& out);

private:
    std::mutex m_mutex;  ///< guards starting and stopping against updates
    LightingEngine m_engine;
    LedFrame m_snapshot;
    std::unique_ptr<LightingThread> m_thread;
};

}  // namespace halvern
