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
    std::scoped_lock lock(m_mutex);
    m_engine.runDue(steadyMillis());
    out = m_engine.frame();
    return m_engine.nextDue();
}

void LightingThread::run() {
    std::unique_lock lock(m_mutex);
    // runDue() starts an engine that has not run yet at its first call.
    const auto woken = [this] { return m_changed || m_stopping; };
    while (!m_stopping) {
        m_wakes.fetch_add(1, std::memory_order_relaxed);
        m_engine.runDue(steadyMillis());
        const Millis due = m_engine.nextDue();
        m_changed = false;
        if (due == LightingEngine::kNever) {
            m_wake.wait(lock, woken);
        } else {
            // Waking at the start of the due millisecond: the clock then reads `due`.
            const std::chrono::steady_clock::time_point deadline{std::chrono::milliseconds(due)};
            m_wake.wait_until(lock, deadline, woken);
        }
    }
}

}  // namespace halvern
