#include "device/executor.h"

namespace halvern {

void CompletionQueue::post(std::function<void()> task) {
    {
        std::scoped_lock lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_arrived.notify_all();
}

size_t CompletionQueue::runPending() {
    std::deque<std::function<void()>> tasks;
    {
        std::scoped_lock lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks) task();  // a task may post more; they run on the next call
    return tasks.size();
}

bool CompletionQueue::waitAndRun(std::chrono::steady_clock::time_point deadline) {
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_until(lock, deadline, [this] { return !m_tasks.empty(); })) return false;
    }
    (void)runPending();
    return true;
}

bool CompletionQueue::runUntil(const std::function<bool()>& finished,
                               std::chrono::steady_clock::time_point deadline) {
    while (!finished()) {
        if (!waitAndRun(deadline)) return false;
    }
    return true;
}

}  // namespace halvern
