#include "device/bounded_writer.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace halvern {
namespace {

constexpr size_t kMaxReport = 64;
constexpr size_t kMaxCancelFds = 3;

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

struct BoundedWriter::Shared {
    explicit Shared(std::shared_ptr<HidNode> n)
        : node(std::move(n)), doneFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Shared() {
        if (doneFd >= 0) ::close(doneFd);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    // The thread: writes each report handed over, records the outcome and signals doneFd.
    void run() {
        ::pthread_setname_np(::pthread_self(), "hid-write");
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return posted != done || quit; });
            if (posted == done) return;  // quit with nothing in hand
            const std::array<uint8_t, kMaxReport> report = pending;
            const size_t length = pendingLength;
            const uint64_t sequence = posted;
            lock.unlock();
            const ssize_t n = writeWhole(std::span(report).first(length));
            lock.lock();
            result = n;
            done = sequence;
            // A posted report that went out wakes nobody, unless a write waits for the thread to be free:
            // the poster waits for the device's reply instead.
            if (sequence == quietSequence && n > 0 && waiters == 0) continue;
            const uint64_t one = 1;
            (void)!::write(doneFd, &one, sizeof one);
        }
    }

    // A node that cannot take the report now (a full socket) is waited on, a little at a time, so a writer
    // that is told to quit still ends.
    ssize_t writeWhole(std::span<const uint8_t> report) {
        for (;;) {
            const ssize_t n = node->writeReport(report);
            if (n != 0) return n;
            pollfd fd{node->pollFd(), POLLOUT, 0};
            if (::poll(&fd, 1, 100) < 0 && errno != EINTR) return -1;
            if (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
            std::scoped_lock lock(mutex);
            if (quit) return -1;
        }
    }

    const std::shared_ptr<HidNode> node;
    const int doneFd;
    std::mutex mutex;
    std::condition_variable wake;
    std::array<uint8_t, kMaxReport> pending{};
    size_t pendingLength = 0;
    uint64_t posted = 0;         ///< sequence number of the last report handed over
    uint64_t done = 0;           ///< sequence number of the last report written (or failed)
    uint64_t quietSequence = 0;  ///< the last report posted without a waiter
    int waiters = 0;             ///< writes waiting on doneFd
    ssize_t result = 0;
    bool quit = false;
};

BoundedWriter::BoundedWriter(std::shared_ptr<HidNode> node)
    : m_shared(std::make_shared<Shared>(std::move(node))) {
    // Detached on purpose: the thread owns a reference to its state and ends once the write in hand is over,
    // which the kernel bounds; nothing else is touched.
    std::thread([shared = m_shared] { shared->run(); }).detach();
}

BoundedWriter::~BoundedWriter() {
    {
        std::scoped_lock lock(m_shared->mutex);
        m_shared->quit = true;
    }
    m_shared->wake.notify_all();
}

bool BoundedWriter::post(std::span<const uint8_t> report) {
    Shared& s = *m_shared;
    if (report.empty() || report.size() > kMaxReport) return false;
    {
        std::scoped_lock lock(s.mutex);
        if (s.posted != s.done || s.quit) return false;
        std::copy(report.begin(), report.end(), s.pending.begin());
        s.pendingLength = report.size();
        s.quietSequence = ++s.posted;
    }
    s.wake.notify_all();
    return true;
}

bool BoundedWriter::lastFailed() const {
    std::scoped_lock lock(m_shared->mutex);
    return m_shared->posted != m_shared->done || m_shared->result <= 0;
}

bool BoundedWriter::stuck() const {
    std::scoped_lock lock(m_shared->mutex);
    return m_shared->posted != m_shared->done;
}

ssize_t BoundedWriter::write(std::span<const uint8_t> report, int timeoutMs, std::span<const int> cancelFds) {
    Shared& s = *m_shared;
    if (report.empty() || report.size() > kMaxReport || s.doneFd < 0) return -1;
    const long long deadline = nowMs() + std::max(timeoutMs, 0);
    std::array<pollfd, 1 + kMaxCancelFds> fds{};
    const size_t cancelCount = std::min(cancelFds.size(), kMaxCancelFds);
    fds[0] = {s.doneFd, POLLIN, 0};
    for (size_t i = 0; i < cancelCount; ++i) fds[i + 1] = {cancelFds[i], POLLIN, 0};

    // While this write waits, the thread signals every report it finishes, also a posted one.
    struct Waiting {
        explicit Waiting(Shared& shared) : s(shared) {
            std::scoped_lock lock(s.mutex);
            ++s.waiters;
        }
        ~Waiting() {
            std::scoped_lock lock(s.mutex);
            --s.waiters;
        }
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;
        Shared& s;
    };
    const Waiting waiting(s);
    uint64_t mine = 0;  // 0: not handed over yet (an earlier report is still in hand)
    for (;;) {
        {
            std::scoped_lock lock(s.mutex);
            if (mine == 0 && s.posted == s.done) {
                std::copy(report.begin(), report.end(), s.pending.begin());
                s.pendingLength = report.size();
                mine = ++s.posted;
                s.wake.notify_all();
            } else if (mine != 0 && s.done == mine) {
                return s.result;
            }
        }
        const int wait = timeoutMs < 0 ? -1 : static_cast<int>(std::max(0LL, deadline - nowMs()));
        const int n = ::poll(fds.data(), 1 + cancelCount, wait);
        if (n < 0 && errno != EINTR) return -1;
        if (n == 0) return 0;  // time-out: the report stays with the thread
        for (size_t i = 0; i < cancelCount; ++i) {
            if (fds[i + 1].revents & POLLIN) return 0;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t drained = 0;
            (void)!::read(s.doneFd, &drained, sizeof drained);
        }
    }
}

}  // namespace halvern
