#pragma once
// Running the window's event loop from a benchmark, without a busy wait.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace halvern::bench {

/// Runs the event loop until `done` holds or `ms` pass, looking every `sliceMs`; false on the time-out.
inline bool runUntil(const std::function<bool()>& done, int ms, int sliceMs = 10) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(sliceMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace halvern::bench
