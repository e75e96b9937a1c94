#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace halvern {

/// The convention every worker thread follows: one stop request each, a bounded wait when stopping, and
/// no thread is ever killed. The body receives a stop token; it must return promptly once stop is
/// requested, and any blocking call in it must be woken by the stopper (a HID read by closing its
/// interface, a sleep by waiting on the token).
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { stop(std::chrono::milliseconds(1000)); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    /// Starts the body on a new thread, stopping a running one first.
    void start(std::function<void(std::stop_token)> body);

    /// Requests stop and waits up to `bound` for the body to end, writing the outcome to the debug sink.
    /// Returns true when it ended in time. A body that overruns is still joined (never abandoned while it
    /// can touch its owner), after the time-out has been reported.
    bool stop(std::chrono::milliseconds bound);

    [[nodiscard]] bool running() const;

    /// Waits on the stop token for up to `period`; true when stop was requested. The 1 ms wait of a
    /// worker's pass, without spinning.
    static bool waitForStop(const std::stop_token& token, std::chrono::milliseconds period);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
    std::jthread m_thread;
};

}  // namespace halvern
