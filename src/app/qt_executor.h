#pragma once

#include <QMetaObject>
#include <QObject>

#include "device/executor.h"

namespace halvern::app {

/// Runs device completions on the interface thread, in the event loop of `context`'s thread. The owner of
/// the devices that post here stops them (their queues) before `context` goes; completions still waiting in
/// the event loop then are dropped with it.
class QtExecutor final : public Executor {
public:
    explicit QtExecutor(QObject& context) : m_context(context) {}

    void post(std::function<void()> task) override {
        QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
    }

private:
    QObject& m_context;
};

}  // namespace halvern::app
