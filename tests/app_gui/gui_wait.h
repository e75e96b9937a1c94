#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace halvern::test {

/// Runs the event loop until `condition` holds or `ms` pass; returns whether it held.
template <typename Condition>
bool waitUntil(Condition condition, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace halvern::test
