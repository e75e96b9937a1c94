#include "app/ui_task_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>

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
}

}  // namespace halvern::app
