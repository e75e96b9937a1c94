#include "device/worker_thread.h"

#include "device/debug_sink.h"

namespace halvern {

void WorkerThread::start(std::function<void(std::stop_token)> body) {
    stop(std::chrono::milliseconds(1000));
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
    }
    m_thread = std::jthread([this, body = std::move(body)](std::stop_token token) {
        body(token);
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_ended.notify_all();
    });
}

bool WorkerThread::stop(std::chrono::milliseconds bound) {
    if (!m_thread.joinable()) return true;
    m_thread.request_stop();
    bool inTime = false;
    {
        std::unique_lock lock(m_mutex);
        inTime = m_ended.wait_for(lock, bound, [this] { return !m_running; });
    }
    debugLog(inTime ? "线程退出：：对象处于激发状态\n" : "线程退出：：对象处于非激发状态，超时\n");
    m_thread.join();
    return inTime;
}

bool WorkerThread::running() const {
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool WorkerThread::waitForStop(const std::stop_token& token, std::chrono::milliseconds period) {
    std::mutex mutex;
    std::condition_variable_any cv;
    std::unique_lock lock(mutex);
    cv.wait_for(lock, token, period, [] { return false; });
    return token.stop_requested();
}

}  // namespace halvern
