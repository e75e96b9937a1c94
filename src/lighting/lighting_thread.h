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
/// the engine through update()) and runs the passes due. An idle device costs nothing; the frames are
/// those of a thread that wakes every millisecond. Readers take the frame through snapshot(), which runs
/// the passes due itself: while nobody has read for kReadersGoneMs (the window hidden, the device gone)
/// the thread rests until a change or a read, so an animated effect that nobody sees costs nothing.
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

    /// Copies the frame as of now: a step that is due but not yet run (the thread is late to wake) is run
    /// first. A reader that polls (a preview or streaming timer) can thus also drive the engine alone.
    /// Returns when the engine's next step is due (LightingEngine::kNever when nothing will change), so a
    /// reader that streams frames can sleep until then.
    Millis snapshot(LedFrame& out);

    /// How many times the thread has woken (for measurements).
    [[nodiscard]] uint64_t wakeCount() const { return m_wakes.load(std::memory_order_relaxed); }
    /// True while the thread waits for a change or a reader rather than for the effect's next pass.
    [[nodiscard]] bool resting() const { return m_resting.load(std::memory_order_relaxed); }
    /// Waits up to `bound` for the thread to rest (or, with false, to pace the effect); true when it did.
    [[nodiscard]] bool awaitResting(bool resting, std::chrono::milliseconds bound);

    /// How long after the last read the thread keeps pacing the effect, and how soon a second read must
    /// follow the first to wake a resting thread. A preview reads every 33-100 ms and a stream more
    /// often; a hidden window's idle tick (every 500 ms) neither keeps it awake nor wakes it.
    static constexpr Millis kReadersGoneMs = 250;

    /// Stops the thread and waits for it; also done by the destructor.
    void stop();

private:
    void run();
    void setResting(bool resting);

    LightingEngine& m_engine;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_restingChanged;
    bool m_changed = false;
    bool m_stopping = false;
    Millis m_lastRead = 0;
    bool m_everRead = false;
    std::atomic<bool> m_resting{false};
    std::atomic<uint64_t> m_wakes{0};
    std::thread m_thread;  // last: starts after everything it uses exists
};

}  // namespace halvern
