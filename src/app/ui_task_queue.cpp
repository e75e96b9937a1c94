#include "app/ui_task_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

namespace halvern::app {

UiTaskQueue::UiTaskQueue(QObject* parent)
    : QObject(parent), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_wakeFd < 0) return;
    m_notifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UiTaskQueue::runWaiting);
}

UiTaskQueue::~UiTaskQueue() {
    delete m_notifier;  // before the descriptor it watches
    m_notifier = nullptr;
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void UiTaskQueue::post(std::function<void()> task) {
    {
        std::scoped_lock lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    const uint64_t one = 1;
    (void)!::write(m_wakeFd, &one, sizeof one);
}

void UiTaskQueue::runWaiting() {
    uint64_t count = 0;
    (void)!::read(m_wakeFd, &count, sizeof count);
    std::deque<std::function<void()>> tasks;
    {
        std::scoped_lock lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks) task();  // a task may post more: they wake the loop again
    if (m_afterTasks && !tasks.empty()) m_afterTasks();
    for (const Wait& wait : m_waits) {
        if ((*wait.finished)()) wait.loop->quit();
    }
}

bool UiTaskQueue::runUntil(const std::function<bool()>& finished,
                           std::chrono::steady_clock::time_point deadline) {
    if (finished()) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(static_cast<int>(std::min<long long>(left.count(), 24LL * 3600 * 1000)));
    m_waits.push_back({&finished, &loop});
    loop.exec();
    m_waits.erase(std::find_if(m_waits.begin(), m_waits.end(),
                               [&loop](const Wait& wait) { return wait.loop == &loop; }));
    return finished();
}

}  // namespace halvern::app
