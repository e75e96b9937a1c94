#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace halvern::audio {

/// A program of ours that lives no longer than this object: stopped when the object goes, and ended by
/// the kernel (SIGTERM) when this process dies first. A thread of the object's own starts it and waits
/// for its end, so it is reaped as soon as it ends and `running()` says so without asking anyone.
class ChildProcess {
public:
    /// Starts `program` (a full path) with `arguments` (argv[1…]), in this process's environment, its
    /// output discarded. Nothing when it could not be started.
    [[nodiscard]] static std::unique_ptr<ChildProcess> start(const std::string& program,
                                                             const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] pid_t pid() const { return m_pid; }
    [[nodiscard]] bool running() const;

    /// Asks the program to end (SIGTERM) and waits for it at most `bound`; then kills it (SIGKILL).
    void stop(std::chrono::milliseconds bound);

    struct Key {  ///< only start() makes one
    private:
        Key() = default;
        friend class ChildProcess;
    };
    explicit ChildProcess(Key /*key*/) {}

private:
    void waitForEnd();

    pid_t m_pid = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_ended = false;
    std::thread m_waiter;
};

/// The full path of `name` in $PATH (an executable file); nothing when there is none.
[[nodiscard]] std::optional<std::string> findProgram(const std::string& name);

}  // namespace halvern::audio
