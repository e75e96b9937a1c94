#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "lighting/lighting_engine.h"

namespace halvern {

/// Milliseconds of the steady clock, the time base of the lighting threads.
[[nodiscard]] Millis steadyMillis();

/// A device's lighting thread. It sleeps until the engine's next pass is due (or until somebody changes
/// the engine through update()), runs the passes due, and publishes the frame for readers. An idle
/// device costs nothing; the frames are those of a thread that wakes every millisecond.
class LightingThread {
public:
    explicit LightingThread(LightingEngine& engine);
    ~LightingThread();
    LightingThread(const LightingThread&) = delete;
    LightingThread& operator=(const LightingThread&) = delete;

    /// Runs fn(engine) on the engine under the thread's lock, after the passes due so far; the thread then
    /// re-plans its sleep.
    template <typename Fn>
    void update(Fn&& fn) {
        {
            std::scoped_lock lock(m_mutex);
            m_engine.runDue(steadyMillis());
            fn(m_engine);
            m_engine.invalidate();  // whatever fn touched is drawn at the next step
            m_changed = true;
        }
        m_wake.notify_one();
    }

    /// Copies the last published frame.
    void snapshot(LedFrame& out) const;

    /// How many times the thread has woken (for measurements).
    [[nodiscard]] uint64_t wakeCount() const { return m_wakes.load(std::memory_order_relaxed); }

    /// Stops the thread and waits for it; also done by the destructor.
    void stop();

private:
    void run();
    void publish();

    LightingEngine& m_engine;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_changed = false;
    bool m_stopping = false;
    mutable std::mutex m_frameMutex;
    LedFrame m_published;
    std::atomic<uint64_t> m_wakes{0};
    std::thread m_thread;  // last: starts after everything it uses exists
};

}  // namespace halvern
