#include "device/device_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "device/debug_sink.h"
#include "device/hid_backend.h"
#include "device/supported_devices.h"

namespace halvern {
namespace {

/// Above the largest process id Linux hands out (PID_MAX_LIMIT).
constexpr long kPidLimit = 4'194'304;
/// How often a waiter looks again when it cannot watch the holder's process (a holder that wrote no pid):
/// the holder's closing the file may be seen before the kernel dropped its lock.
constexpr std::chrono::milliseconds kUnwatchedLook{1000};
/// How often it looks again in any case: the pid a holder in another pid namespace wrote names some other
/// process here, whose end would never come.
constexpr std::chrono::milliseconds kSafetyLook{5000};

/// Closes a descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

std::string sentence(const std::string& what, int error) {
    return what + " (" + std::strerror(error) + ")";
}

/// Makes the lock folder if it is missing and checks that nobody else can place files in it. Empty when
/// it is usable, else one sentence.
std::string prepareFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return sentence("The lock folder " + folder.string() + " cannot be made", errno);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return sentence("The lock folder " + folder.string() + " cannot be read", errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return "The lock folder " + folder.string() +
               " is not a folder of yours that only you can write to; remove it or set XDG_RUNTIME_DIR.";
    }
    return {};
}

/// Opens (making it) the lock file; -1 with `problem` set when it cannot be used.
int openLockFile(const std::filesystem::path& file, std::string& problem) {
    problem = prepareFolder(file.parent_path());
    if (!problem.empty()) return -1;
    Fd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK, 0600));
    if (fd.get() < 0) {
        problem = sentence("The lock file " + file.string() + " cannot be opened", errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = "The lock file " + file.string() + " is not a plain file; remove it.";
        return -1;
    }
    return fd.release();
}

pid_t parseHolder(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    long pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return 0;
    return pid > 0 && pid <= kPidLimit ? static_cast<pid_t>(pid) : 0;
}

pid_t pidIn(int fd) {
    std::array<char, 16> text{};
    const ssize_t got = ::pread(fd, text.data(), text.size(), 0);
    if (got <= 0 || static_cast<size_t>(got) >= text.size()) return 0;  // nothing, or more than a pid
    return parseHolder(std::string_view(text.data(), static_cast<size_t>(got)));
}

/// The holder named in the file, when that process lives: a holder that writes no pid (flock(1)) leaves
/// the pid of one that died without clearing it.
pid_t holderOf(int fd) {
    const pid_t pid = pidIn(fd);
    return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH ? 0 : pid;
}

/// flock without waiting: 1 taken, 0 held by another, -1 failed.
int tryFlock(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 1;
        if (errno == EWOULDBLOCK) return 0;
        if (errno != EINTR) return -1;
    }
}

/// A descriptor that becomes readable when process `pid` ends; -1 when it cannot be had.
int watchProcess(pid_t pid) {
#ifdef SYS_pidfd_open
    if (pid > 0) return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
    (void)pid;
    return -1;
}

LockAttempt failed(std::string problem) {
    LockAttempt attempt;
    attempt.outcome = LockOutcome::Failed;
    attempt.problem = std::move(problem);
    return attempt;
}

LockAttempt busy(pid_t holder) {
    LockAttempt attempt;
    attempt.outcome = LockOutcome::Busy;
    attempt.holder = holder;
    return attempt;
}

uint64_t fnv1a(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace

/// Makes DeviceLock objects for the functions of this file.
struct LockFileAccess {
    static LockAttempt taken(Fd& fd, const std::filesystem::path& file) {
        // The pid is for the messages of others; the lock holds without it.
        const std::string pid = std::to_string(::getpid()) + '\n';
        if (::ftruncate(fd.get(), 0) != 0 || ::pwrite(fd.get(), pid.data(), pid.size(), 0) < 0) {
            debugLog("device lock: cannot write the process id into " + file.string());
        }
        LockAttempt attempt;
        attempt.outcome = LockOutcome::Taken;
        attempt.lock.emplace(DeviceLock(fd.release(), file));
        return attempt;
    }
};

DeviceLock::DeviceLock(int fd, std::filesystem::path file) : m_fd(fd), m_file(std::move(file)) {}

DeviceLock::DeviceLock(DeviceLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_file(std::move(other.m_file)) {}

DeviceLock& DeviceLock::operator=(DeviceLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_file = std::move(other.m_file);
    }
    return *this;
}

DeviceLock::~DeviceLock() {
    release();
}

void DeviceLock::release() {
    if (m_fd < 0) return;
    // The pid goes with the holder; unlocked before the close, so a waiter woken by the close finds the
    // lock free.
    (void)!::ftruncate(m_fd, 0);
    (void)::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

std::filesystem::path deviceLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::filesystem::path(runtime) / "halvern";
    return std::filesystem::path("/tmp") / ("halvern-" + std::to_string(::geteuid()));
}

std::optional<std::filesystem::path> deviceLockFile(const HidBackend& backend, uint16_t typeCode) {
    const std::string scope = backend.lockScope();
    if (scope.empty()) return std::nullopt;
    const uint16_t cable = cableTwin(typeCode);
    uint16_t vid = 0, pid = cable;
    for (const DeviceKindRow& kind : kDeviceKindTable) {
        if (kind.typeCode == cable) vid = kind.vid, pid = kind.pid;
    }
    std::array<char, 64> name{};
    std::snprintf(name.data(), name.size(), "device-%04x-%04x-%016llx.lock", vid, pid,
                  static_cast<unsigned long long>(fnv1a(scope)));
    return deviceLockFolder() / name.data();
}

LockAttempt tryLockDevice(const std::filesystem::path& file) {
    std::string problem;
    Fd fd(openLockFile(file, problem));
    if (fd.get() < 0) return failed(problem);
    const int taken = tryFlock(fd.get());
    if (taken < 0) return failed(sentence("The lock file " + file.string() + " cannot be locked", errno));
    if (taken == 0) return busy(holderOf(fd.get()));
    return LockFileAccess::taken(fd, file);
}

LockAttempt lockDevice(const std::filesystem::path& file, const LockWait& wait) {
    std::string problem;
    Fd fd(openLockFile(file, problem));
    if (fd.get() < 0) return failed(problem);
    // Watched before the first try, so a release between the try and the wait still wakes it.
    Fd changes(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (changes.get() >= 0 &&
        ::inotify_add_watch(changes.get(), file.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY) < 0) {
        changes.reset();
    }
    const auto deadline =
        std::chrono::steady_clock::now() + wait.bound.value_or(std::chrono::milliseconds(0));
    bool announced = false;
    pid_t watched = 0;
    Fd holderEnd;
    for (;;) {
        const int taken = tryFlock(fd.get());
        if (taken < 0) return failed(sentence("The lock file " + file.string() + " cannot be locked", errno));
        if (taken > 0) return LockFileAccess::taken(fd, file);
        const pid_t holder = holderOf(fd.get());
        if (!announced) {
            announced = true;
            if (wait.waiting) wait.waiting(holder);
        }
        if (holder != watched) {
            watched = holder;
            holderEnd.reset(watchProcess(holder));
        }
        auto timeout = std::chrono::milliseconds(-1);
        if (wait.bound) {
            timeout =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (timeout.count() <= 0) return busy(holder);
        }
        const auto look = holderEnd.get() < 0 || changes.get() < 0 ? kUnwatchedLook : kSafetyLook;
        timeout = timeout.count() < 0 ? look : std::min(timeout, look);
        std::array<pollfd, 3> fds{
            {{changes.get(), POLLIN, 0}, {holderEnd.get(), POLLIN, 0}, {wait.cancelFd, POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(timeout.count()));
        if (ready < 0 && errno != EINTR) return failed(sentence("Waiting for the lock failed", errno));
        if (fds[2].revents != 0) {
            LockAttempt attempt;
            attempt.outcome = LockOutcome::Cancelled;
            return attempt;
        }
        if (fds[0].revents != 0) {
            std::array<char, 4096> events{};
            while (::read(changes.get(), events.data(), events.size()) > 0) {
            }
        }
        // The holder's process ended; if its lock lives on in a child, the one-second look takes over.
        if (fds[1].revents != 0) holderEnd.reset();
    }
}

pid_t readLockHolder(const std::filesystem::path& file) {
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK));
    return fd.get() < 0 ? 0 : pidIn(fd.get());
}

}  // namespace halvern
