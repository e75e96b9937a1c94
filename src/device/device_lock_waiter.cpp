#include "device/device_lock_waiter.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <stop_token>

namespace halvern {

DeviceLockWaiter::DeviceLockWaiter(std::filesystem::path file, std::function<void(pid_t holder)> waiting,
                                   std::function<void()> ended)
    : m_cancel(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    m_result.outcome = LockOutcome::Cancelled;
    m_thread.start([this, file = std::move(file), waiting = std::move(waiting),
                    ended = std::move(ended)](const std::stop_token& token) {
        const int cancel = m_cancel;
        const std::stop_callback callOff(token, [cancel] {
            const uint64_t one = 1;
            if (cancel >= 0) (void)!::write(cancel, &one, sizeof one);
        });
        LockAttempt attempt = cancel >= 0 ? lockDevice(file, {std::nullopt, cancel, waiting})
                                          : LockAttempt{LockOutcome::Failed, std::nullopt, 0,
                                                        "No descriptor is left to wait for the lock with."};
        if (attempt.outcome == LockOutcome::Cancelled) return;
        {
            std::lock_guard lock(m_mutex);
            m_result = std::move(attempt);
        }
        if (ended) ended();
    });
}

DeviceLockWaiter::~DeviceLockWaiter() {
    (void)m_thread.stop(std::chrono::milliseconds(1000));
    if (m_cancel >= 0) ::close(m_cancel);
}

LockAttempt DeviceLockWaiter::take() {
    std::lock_guard lock(m_mutex);
    LockAttempt result = std::move(m_result);
    m_result = LockAttempt{LockOutcome::Cancelled, std::nullopt, 0, {}};
    return result;
}

}  // namespace halvern
