#pragma once

#include <filesystem>
#include <functional>
#include <mutex>

#include "device/device_lock.h"
#include "device/worker_thread.h"

namespace halvern {

/// Waits for a device's lock on a thread of its own, for as long as another program holds it, so that
/// the thread that wants the device (the interface thread) never blocks on that program. The wait ends
/// when the lock is taken or cannot be used, or is called off when the waiter goes.
class DeviceLockWaiter {
public:
    /// Starts waiting for the lock in `file`. `waiting` is called once on the waiting thread when the
    /// lock is found held (with the holder's process id, 0 when unknown); `ended` once on the waiting
    /// thread when the wait ended by itself (not when the waiter is destroyed first): take() then gives
    /// the lock.
    DeviceLockWaiter(std::filesystem::path file, std::function<void(pid_t holder)> waiting,
                     std::function<void()> ended);
    /// Calls the wait off and joins the thread (at once: the wait watches for that).
    ~DeviceLockWaiter();
    DeviceLockWaiter(const DeviceLockWaiter&) = delete;
    DeviceLockWaiter& operator=(const DeviceLockWaiter&) = delete;

    /// What the wait came to: Taken (with the lock) or Failed once `ended` was called; Cancelled before.
    /// The lock is handed over once.
    [[nodiscard]] LockAttempt take();

private:
    std::mutex m_mutex;
    LockAttempt m_result;
    int m_cancel = -1;
    WorkerThread m_thread;  ///< last: stopped before the members it uses go
};

}  // namespace halvern
