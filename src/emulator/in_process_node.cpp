#include "emulator/in_process_node.h"

#include <sys/eventfd.h>

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "device/debug_sink.h"
#include "emulator/emulated_node.h"
#include "emulator/unique_fd.h"

namespace halvern::emu {
namespace {

/// The node's report buffer. The eventfd counter is 1 exactly while a report is ready or the device is
/// gone, and 0 otherwise; every change happens under m_mutex.
class InProcessPort final : public ReportSink {
public:
    explicit InProcessPort(UniqueFd event) : m_event(std::move(event)) {}

    [[nodiscard]] int fd() const { return m_event.get(); }

    void deliver(std::span<const uint8_t> report, Clock::time_point readyAt) override {
        std::lock_guard lock(m_mutex);
        if (m_gone) return;
        if (!m_queue.push(report, readyAt)) {
            debugLog("emulator: input buffer full, report dropped");
            return;
        }
        const Clock::time_point now = Clock::now();
        updateSignalLocked(now);
        if (readyAt > now && !m_waker.joinable()) {
            m_waker = std::jthread([this](std::stop_token stop) { releaseDueReports(stop); });
        }
        noteChangeLocked();
    }

    void hangUp() override {
        std::lock_guard lock(m_mutex);
        m_gone = true;
        updateSignalLocked(Clock::now());
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
        const bool ready = m_gone || m_queue.hasReady(now);
        if (ready == m_signalled) return;
        uint64_t value = 1;
        const ssize_t done = ready ? ::write(m_event.get(), &value, sizeof value)
                                   : ::read(m_event.get(), &value, sizeof value);
        if (done != static_cast<ssize_t>(sizeof value)) debugLog("emulator: eventfd update failed");
        m_signalled = ready;
    }

    void noteChangeLocked() {
        m_changed = true;
        m_wake.notify_one();
    }

    // Sleeps until the first queued report is due (or the queue changes) and raises the eventfd then.
    void releaseDueReports(std::stop_token stop) {
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

    UniqueFd m_event;
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
        return m_device->takeOutputReport(m_interface, report);
    }

private:
    std::shared_ptr<InProcessPort> m_port;
};

}  // namespace

std::unique_ptr<HidNode> openInProcessNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber,
                                           bool write) {
    UniqueFd event(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!event.valid()) return nullptr;
    auto port = std::make_shared<InProcessPort>(std::move(event));
    device->attachSink(interfaceNumber, port);
    return std::make_unique<InProcessNode>(std::move(device), interfaceNumber, write, std::move(port));
}

}  // namespace halvern::emu
