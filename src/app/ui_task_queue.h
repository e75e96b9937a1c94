#pragma once

#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "device/executor.h"

class QEventLoop;
class QSocketNotifier;

namespace halvern::app {

/// Hands work from any thread to the interface thread: device completions, what the notification readers
/// and discovery report. A task goes into a queue under this object's own lock and an eventfd wakes the
/// interface thread's event loop, which runs the tasks in the order they came. (Nothing crosses threads
/// inside Qt, so every handover is visible to the thread sanitizer.) Tasks still waiting when the object
/// goes are dropped; whoever posts must stop before it goes.
class UiTaskQueue final : public QObject, public Executor {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UiTaskQueue)
public:
    explicit UiTaskQueue(QObject* parent = nullptr);
    ~UiTaskQueue() override;

    /// Safe from any thread.
    void post(std::function<void()> task) override;
    /// Waits in a nested event loop: the window keeps painting and answering while a command the
    /// application carries out for another program waits for its device.
    [[nodiscard]] bool runUntil(const std::function<bool()>& finished,
                                std::chrono::steady_clock::time_point deadline) override;
    /// Called after each batch of tasks has run (the device service looks for what changed).
    void setAfterTasks(std::function<void()> hook) { m_afterTasks = std::move(hook); }

private:
    void runWaiting();

    int m_wakeFd = -1;
    QSocketNotifier* m_notifier = nullptr;  ///< owned as a child
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    /// The nested waits under way, innermost last: each ends once its condition holds after a task ran.
    struct Wait {
        const std::function<bool()>* finished;
        QEventLoop* loop;
    };
    std::vector<Wait> m_waits;
    std::function<void()> m_afterTasks;
};

}  // namespace halvern::app
