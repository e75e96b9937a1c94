#pragma once

#include <functional>

#include "device/worker_thread.h"

namespace halvern::audio {

/// Tells when the sound server's sinks or sources may have changed: one came or went, or the server
/// started or went away. A thread of its own keeps a connection of its own subscribed to the server's
/// events; while no server answers it tries again every second. `changed` runs on that thread and must
/// only hand the news on.
class PulseDeviceWatch {
public:
    explicit PulseDeviceWatch(std::function<void()> changed);
    /// Stops the thread (within one of its waits): `changed` is not called any more once this returns.
    ~PulseDeviceWatch();
    PulseDeviceWatch(const PulseDeviceWatch&) = delete;
    PulseDeviceWatch& operator=(const PulseDeviceWatch&) = delete;

private:
    void run(const std::stop_token& stop);

    std::function<void()> m_changed;
    WorkerThread m_thread;  // last: stopped before the members it uses go
};

}  // namespace halvern::audio
