#include "emulator/in_process_node.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <sys/socket.h>

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "device/debug_sink.h"
#include "emulator/emulated_node.h"
#include "emulator/unique_fd.h"

namespace halvern::emu {
namespace {

/// The node's report buffer and its readiness signal: a socket pair whose near end is the node's pollFd.
/// One token byte waits in the near end exactly while a report is ready; when the device is gone the far
/// end is shut down, so the near end reports POLLHUP as a vanished hidraw node does. Nothing but the
/// token ever travels; every change happens under m_mutex.
class InProcessPort final : public ReportSink {
public:
    InProcessPort(UniqueFd nearEnd, UniqueFd farEnd) : m_near(std::move(nearEnd)), m_far(std::move(farEnd)) {}

    [[nodiscard]] int fd() const { return m_near.get(); }

    void deliver(std::span<const uint8_t> report, Clock::time_point readyAt) override {
        std::lock_guard lock(m_mutex);
        if (m_gone || !m_queue.push(report, readyAt)) return;
        const Clock::time_point now = Clock::now();
        updateSignalLocked(now);
        if (readyAt > now && !m_waker.joinable()) {
            m_waker = std::jthread([this](std::stop_token stop) {
                ::pthread_setname_np(::pthread_self(), "emulator");  // counted apart from the program's own
                releaseDueReports(stop);
            });
        }
        noteChangeLocked();
    }

    void hangUp() override {
        std::lock_guard lock(m_mutex);
        m_gone = true;
        ::shutdown(m_far.get(), SHUT_RDWR);
        noteChangeLocked();
    }

    /// Takes the first ready report: its length, 0 when none is ready, -1 when the device is gone.
    ssize_t take(std::span<uint8_t> buffer) {
        std::lock_guard lock(m_mutex);
        if (m_gone) return -1;
        const Clock::time_point now = Clock::now();
        if (!m_queue.hasReady(now)) return 0;
        const size_t length = m_queue.take(buffer);
        updateSignalLocked(now);
        noteChangeLocked();
        return static_cast<ssize_t>(length);
    }

    /// Ends the port for its node: no more reports, and the timer thread is stopped and joined here rather
    /// than in whichever thread drops the last reference.
    void close() {
        std::jthread waker;
        {
            std::lock_guard lock(m_mutex);
            m_gone = true;
            waker = std::move(m_waker);
            noteChangeLocked();
        }
    }

    [[nodiscard]] bool gone() const {
        std::lock_guard lock(m_mutex);
        return m_gone;
    }

private:
    void updateSignalLocked(Clock::time_point now) {
        const bool ready = m_queue.hasReady(now);
        if (m_gone || ready == m_signalled) return;
        uint8_t token = 1;
        const ssize_t done = ready ? ::send(m_far.get(), &token, 1, MSG_DONTWAIT | MSG_NOSIGNAL)
                                   : ::recv(m_near.get(), &token, 1, MSG_DONTWAIT);
        if (done != 1) debugLog("emulator: readiness token update failed");
        m_signalled = ready;
    }

    void noteChangeLocked() {
        m_changed = true;
        m_wake.notify_one();
    }

    // Sleeps until the first queued report is due (or the queue changes) and signals it then.
    void releaseDueReports(std::stop_token stop) {
        ::prctl(PR_SET_TIMERSLACK, 1UL);  // wake on the due time, not up to 50 us after it
        std::unique_lock lock(m_mutex);
        while (!stop.stop_requested()) {
            const Clock::time_point now = Clock::now();
            updateSignalLocked(now);
            m_changed = false;
            const auto due = m_queue.nextDue();
            if (due && *due > now) {
                m_wake.wait_until(lock, stop, *due, [this] { return m_changed; });
            } else {
                m_wake.wait(lock, stop, [this] { return m_changed; });
            }
        }
    }

    UniqueFd m_near;
    UniqueFd m_far;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    bool m_changed = false;
    InputQueue m_queue;
    bool m_gone = false;
    bool m_signalled = false;
    std::jthread m_waker;  // last: stopped and joined before the members it uses go
};

class InProcessNode final : public EmulatedNode {
public:
    InProcessNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber, bool write,
                  std::shared_ptr<InProcessPort> port)
        : EmulatedNode(std::move(device), interfaceNumber, write), m_port(std::move(port)) {}
    ~InProcessNode() override { m_port->close(); }
    InProcessNode(const InProcessNode&) = delete;
    InProcessNode& operator=(const InProcessNode&) = delete;

    [[nodiscard]] int pollFd() const override { return m_port->fd(); }

    [[nodiscard]] ssize_t readReport(std::span<uint8_t> buffer) override { return m_port->take(buffer); }

    [[nodiscard]] ssize_t writeReport(std::span<const uint8_t> report) override {
        if (m_port->gone() || !mayWrite(report)) return -1;
        stallLikeThePipe();
        return m_device->takeOutputReport(m_interface, report);
    }

private:
    std::shared_ptr<InProcessPort> m_port;
};

}  // namespace

std::unique_ptr<HidNode> openInProcessNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber,
                                           bool write) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
    auto port = std::make_shared<InProcessPort>(UniqueFd(ends[0]), UniqueFd(ends[1]));
    device->attachSink(interfaceNumber, port);
    return std::make_unique<InProcessNode>(std::move(device), interfaceNumber, write, std::move(port));
}

}  // namespace halvern::emu
