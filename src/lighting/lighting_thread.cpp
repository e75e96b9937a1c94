#include "lighting/lighting_thread.h"

#include <chrono>

namespace halvern {

Millis steadyMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LightingThread::LightingThread(LightingEngine& engine) : m_engine(engine), m_thread([this] { run(); }) {}

LightingThread::~LightingThread() {
    stop();
}

void LightingThread::stop() {
    if (!m_thread.joinable()) return;
    {
        std::scoped_lock lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

Millis LightingThread::snapshot(LedFrame& out) {
    Millis due = 0;
    bool wake = false;
    {
        std::scoped_lock lock(m_mutex);
        const Millis now = steadyMillis();
        m_engine.runDue(now);
        out = m_engine.frame();
        due = m_engine.nextDue();
        // A reader that reads again within kReadersGoneMs (a preview, a stream) has the thread pace the
        // effect again; one that comes now and then (a hidden window's idle tick) does not wake it.
        const bool steadyReader = m_everRead && now - m_lastRead < kReadersGoneMs;
        m_lastRead = now;
        m_everRead = true;
        wake = steadyReader && m_resting.load(std::memory_order_relaxed) && due != LightingEngine::kNever;
        if (wake) m_changed = true;
    }
    if (wake) m_wake.notify_one();
    return due;
}

bool LightingThread::awaitResting(bool resting, std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    return m_restingChanged.wait_for(lock, bound,
                                     [&] { return m_resting.load(std::memory_order_relaxed) == resting; });
}

// Called with m_mutex held.
void LightingThread::setResting(bool resting) {
    m_resting.store(resting, std::memory_order_relaxed);
    m_restingChanged.notify_all();
}

void LightingThread::run() {
    std::unique_lock lock(m_mutex);
    // runDue() starts an engine that has not run yet at its first call.
    const auto woken = [this] { return m_changed || m_stopping; };
    while (!m_stopping) {
        m_wakes.fetch_add(1, std::memory_order_relaxed);
        const Millis now = steadyMillis();
        m_engine.runDue(now);
        const Millis due = m_engine.nextDue();
        m_changed = false;
        const bool watched = m_everRead && now - m_lastRead < kReadersGoneMs;
        if (due == LightingEngine::kNever || !watched) {
            // Nothing will change by itself, or nobody looks: the next read or change runs what is due.
            setResting(true);
            m_wake.wait(lock, woken);
            setResting(false);
        } else {
            // Waking at the start of the due millisecond: the clock then reads `due`.
            const std::chrono::steady_clock::time_point deadline{std::chrono::milliseconds(due)};
            m_wake.wait_until(lock, deadline, woken);
        }
    }
}

}  // namespace halvern
