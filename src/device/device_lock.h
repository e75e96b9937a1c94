#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace halvern {

class HidBackend;

/// One program's hold on one device: an exclusive flock(2) on the device's lock file, with the holder's
/// process id written into the file for the messages of the programs that wait. The kernel drops the lock
/// when the holder ends, however it ends, so a lock never outlives its program. Released (unlocked, then
/// closed) when the object goes.
class DeviceLock {
public:
    DeviceLock(DeviceLock&& other) noexcept;
    DeviceLock& operator=(DeviceLock&& other) noexcept;
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    ~DeviceLock();

    [[nodiscard]] const std::filesystem::path& file() const { return m_file; }

private:
    friend struct LockFileAccess;
    DeviceLock(int fd, std::filesystem::path file);
    void release();

    int m_fd = -1;
    std::filesystem::path m_file;
};

/// What an attempt to take a device lock came to.
enum class LockOutcome {
    Taken,      ///< the lock is held: `lock` holds it
    Busy,       ///< another holder kept it (past the bound, or at once for a try)
    Cancelled,  ///< the wait was called off
    Failed,     ///< the lock file cannot be used: `problem` says why
};

struct LockAttempt {
    LockOutcome outcome = LockOutcome::Failed;
    std::optional<DeviceLock> lock;
    pid_t holder = 0;     ///< Busy: the holder's process id as it wrote it; 0 when unknown
    std::string problem;  ///< Failed: one sentence
};

/// How lockDevice waits.
struct LockWait {
    /// Longest wait; nothing waits until the lock is taken or the wait is cancelled.
    std::optional<std::chrono::milliseconds> bound;
    /// A descriptor that becomes readable to call the wait off (an eventfd); -1 for none.
    int cancelFd = -1;
    /// Called once, on the waiting thread, when the lock is found held: with the holder's process id, or 0
    /// when it is not known.
    std::function<void(pid_t holder)> waiting;
};

/// The folder of the lock files: `$XDG_RUNTIME_DIR/halvern`, or `/tmp/halvern-<uid>` without a runtime
/// folder. It is made (mode 0700) when a lock is first taken.
[[nodiscard]] std::filesystem::path deviceLockFolder();

/// The lock file of the product with `typeCode` among the devices of `backend` (a receiver's type code
/// names its cable twin: one product, one lock, whichever way it is attached). Nothing when no other
/// program can reach the backend's devices (an emulator without a state folder), so nothing needs a lock.
[[nodiscard]] std::optional<std::filesystem::path> deviceLockFile(const HidBackend& backend,
                                                                  uint16_t typeCode);

/// Takes the lock in `file` if nobody holds it. Busy (with the holder) when somebody does; Failed when
/// the file or its folder cannot be used (a folder not private to this user is refused).
[[nodiscard]] LockAttempt tryLockDevice(const std::filesystem::path& file);

/// Takes the lock in `file`, waiting while another holds it: woken when the holder closes the file or its
/// process ends, with a look every few seconds for a holder whose process cannot be watched.
/// Busy after `wait.bound`, Cancelled when `wait.cancelFd` became readable.
[[nodiscard]] LockAttempt lockDevice(const std::filesystem::path& file, const LockWait& wait);

/// The process id the holder wrote into `file`: at most a few bytes are read, and anything but a
/// plausible process id gives 0.
[[nodiscard]] pid_t readLockHolder(const std::filesystem::path& file);

}  // namespace halvern
