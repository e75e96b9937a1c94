#include "devices/linux_audio/child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace halvern::audio {

std::unique_ptr<ChildProcess> ChildProcess::start(const std::string& program,
                                                  const std::vector<std::string>& arguments) {
    // Everything the child needs is made before the fork: between fork and exec only calls that are safe
    // in a child of a threaded process.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    auto child = std::make_unique<ChildProcess>(Key());
    ChildProcess& c = *child;
    const pid_t parent = ::getpid();
    // The death signal follows the thread that forked, so the thread that forks is the one that lives as
    // long as the program does: this object's waiter.
    c.m_waiter = std::thread([&c, parent, argv = std::move(argv), words = std::move(words)]() mutable {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent) ::_exit(127);
            const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
            if (nothing < 0 || ::dup2(nothing, 0) < 0 || ::dup2(nothing, 1) < 0 || ::dup2(nothing, 2) < 0)
                ::_exit(127);
            ::execve(argv[0], argv.data(), environ);
            ::_exit(127);
        }
        {
            std::scoped_lock lock(c.m_mutex);
            c.m_pid = pid;
            c.m_started = true;
            c.m_ended = pid < 0;
        }
        c.m_changed.notify_all();
        if (pid > 0) c.waitForEnd();
    });
    std::unique_lock lock(c.m_mutex);
    c.m_changed.wait(lock, [&c] { return c.m_started; });
    if (c.m_pid < 0) {
        lock.unlock();
        c.m_waiter.join();
        return nullptr;
    }
    return child;
}

void ChildProcess::waitForEnd() {
    // Seen ended first and reaped after, so that stop() never signals a pid that went to someone else.
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    {
        std::scoped_lock lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

ChildProcess::~ChildProcess() {
    constexpr std::chrono::milliseconds kStopBound{2000};
    stop(kStopBound);
    if (m_waiter.joinable()) m_waiter.join();
}

bool ChildProcess::running() const {
    std::scoped_lock lock(m_mutex);
    return !m_ended;
}

void ChildProcess::stop(std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    if (m_ended) return;
    // The pid stays ours until the waiter has reaped it, which it does only after saying so under the lock.
    ::kill(m_pid, SIGTERM);
    if (m_changed.wait_for(lock, bound, [this] { return m_ended; })) return;
    ::kill(m_pid, SIGKILL);
    m_changed.wait_for(lock, bound, [this] { return m_ended; });
}

std::optional<std::string> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (name.empty() || name.find('/') != std::string::npos || path == nullptr) return std::nullopt;
    std::string_view folders(path);
    while (!folders.empty()) {
        const size_t end = std::min(folders.find(':'), folders.size());
        const std::string_view folder = folders.substr(0, end);
        folders.remove_prefix(std::min(end + 1, folders.size()));
        if (folder.empty() || folder.front() != '/') continue;
        std::string candidate = std::string(folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

}  // namespace halvern::audio
