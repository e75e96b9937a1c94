#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace halvern {

/// Runs tasks on the thread that owns an object: device operations hand their completions to it, so the
/// owner's state is only ever touched by the owner's thread. The window posts to its event loop.
class Executor {
public:
    virtual ~Executor() = default;
    /// Queues `task` to run on the owner's thread. Safe from any thread.
    virtual void post(std::function<void()> task) = 0;
    /// On the owner's thread: runs the owner's tasks as they arrive until `finished` holds or `deadline`
    /// passes (an operation awaited to its end). False on time-out.
    [[nodiscard]] virtual bool runUntil(const std::function<bool()>& finished,
                                        std::chrono::steady_clock::time_point deadline) = 0;
};

/// An executor whose tasks run when the owning thread asks for them: the command line and the tests, which
/// wait for one operation at a time.
class CompletionQueue final : public Executor {
public:
    void post(std::function<void()> task) override;
    [[nodiscard]] bool runUntil(const std::function<bool()>& finished,
                                std::chrono::steady_clock::time_point deadline) override;

    /// Runs the tasks waiting now. Returns how many ran.
    size_t runPending();
    /// Waits until a task is waiting or `deadline` passes, then runs what waits. False on time-out.
    bool waitAndRun(std::chrono::steady_clock::time_point deadline);

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::function<void()>> m_tasks;
};

}  // namespace halvern
