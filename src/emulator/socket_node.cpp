#include "emulator/socket_node.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <mutex>
#include <stop_token>
#include <thread>

#include "device/debug_sink.h"
#include "emulator/emulated_node.h"
#include "emulator/unique_fd.h"

namespace halvern::emu {
namespace {

constexpr int kSendFlags = MSG_DONTWAIT | MSG_NOSIGNAL;
constexpr size_t kLargestOutputReport = 128;  // room to notice reports longer than the device takes

/// The firmware end of the socket pair and the thread that serves it.
class SocketPort final : public ReportSink {
public:
    SocketPort(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber, UniqueFd farEnd,
               UniqueFd wake)
        : m_device(std::move(device)),
          m_interface(interfaceNumber),
          m_socket(std::move(farEnd)),
          m_wake(std::move(wake)) {}

    ~SocketPort() override { stop(); }

    void start() {
        m_thread = std::jthread([this](std::stop_token stop) {
            ::pthread_setname_np(::pthread_self(), "emulator");  // counted apart from the program's own
            serve(stop);
        });
    }

    /// Stops and joins the service thread. The node calls it, so the thread never outlives the node even
    /// while the device still holds the port for a moment.
    void stop() {
        m_thread.request_stop();
        wake();
        if (m_thread.joinable()) m_thread.join();
    }

    void deliver(std::span<const uint8_t> report, Clock::time_point readyAt) override {
        {
            std::lock_guard lock(m_mutex);
            if (m_gone || !m_queue.push(report, readyAt)) return;
        }
        wake();
    }

    void hangUp() override {
        {
            std::lock_guard lock(m_mutex);
            m_gone = true;
        }
        wake();
    }

private:
    void wake() {
        const uint64_t one = 1;
        if (::write(m_wake.get(), &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
            debugLog("emulator: cannot wake the firmware service thread");
        }
    }

    void serve(std::stop_token stop) {
        ::prctl(PR_SET_TIMERSLACK, 1UL);  // wake on the due time, not up to 50 us after it
        while (!stop.stop_requested()) {
            timespec wait{};
            timespec* timeout = nullptr;
            short events = POLLIN;
            {
                std::lock_guard lock(m_mutex);
                if (m_gone) break;
                const Clock::time_point now = Clock::now();
                if (const auto due = m_queue.nextDue()) {
                    if (*due <= now) {
                        events |= POLLOUT;
                    } else {
                        const auto ns =
                            std::chrono::duration_cast<std::chrono::nanoseconds>(*due - now).count();
                        wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
                        wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
                        timeout = &wait;
                    }
                }
            }
            pollfd fds[2] = {{m_socket.get(), events, 0}, {m_wake.get(), POLLIN, 0}};
            if (::ppoll(fds, 2, timeout, nullptr) < 0 && errno != EINTR) break;
            if (fds[1].revents & POLLIN) {
                uint64_t count = 0;
                (void)!::read(m_wake.get(), &count, sizeof count);
            }
            if ((fds[0].revents & POLLIN) && !receiveOne()) break;
            if ((fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) break;  // node closed
            if (!sendDue()) break;
        }
        ::shutdown(m_socket.get(), SHUT_RDWR);  // the node sees POLLHUP and end of file
    }

    // Hands one packet from the host to the device. False when the host end is closed.
    bool receiveOne() {
        uint8_t buffer[kLargestOutputReport];
        const ssize_t n = ::recv(m_socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0) return false;
        if (n < 0) return errno == EAGAIN || errno == EINTR;
        if (m_device->takeOutputReport(m_interface, std::span(buffer, static_cast<size_t>(n))) < 0) {
            debugLog("emulator: " + m_device->name() + " refused an output report");
        }
        return true;
    }

    // Sends every input report that is due. False when the host end is gone.
    bool sendDue() {
        std::lock_guard lock(m_mutex);
        while (m_queue.hasReady(Clock::now())) {
            const auto& report = m_queue.front();
            if (::send(m_socket.get(), report.data(), report.size(), kSendFlags) < 0) {
                return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
            }
            m_queue.pop();
        }
        return true;
    }

    const std::shared_ptr<VirtualDevice> m_device;
    const uint16_t m_interface;
    UniqueFd m_socket;
    UniqueFd m_wake;
    std::mutex m_mutex;
    InputQueue m_queue;
    bool m_gone = false;
    std::jthread m_thread;  // last: joined before the members it uses go
};

class SocketNode final : public EmulatedNode {
public:
    SocketNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber, bool write, UniqueFd nearEnd,
               std::shared_ptr<SocketPort> port)
        : EmulatedNode(std::move(device), interfaceNumber, write),
          m_socket(std::move(nearEnd)),
          m_port(std::move(port)) {}
    ~SocketNode() override { m_port->stop(); }
    SocketNode(const SocketNode&) = delete;
    SocketNode& operator=(const SocketNode&) = delete;

    [[nodiscard]] int pollFd() const override { return m_socket.get(); }

    [[nodiscard]] ssize_t readReport(std::span<uint8_t> buffer) override {
        const ssize_t n = ::recv(m_socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n > 0) return n;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
        return -1;  // end of file: the device is gone
    }

    [[nodiscard]] ssize_t writeReport(std::span<const uint8_t> report) override {
        if (!mayWrite(report)) return -1;
        stallLikeThePipe();
        const ssize_t n = ::send(m_socket.get(), report.data(), report.size(), kSendFlags);
        if (n >= 0) return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
        return -1;
    }

private:
    UniqueFd m_socket;
    std::shared_ptr<SocketPort> m_port;  // after the socket: its thread stops before the near end closes
};

}  // namespace

std::unique_ptr<HidNode> openSocketNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber,
                                        bool write) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
    UniqueFd nearEnd(ends[0]);
    UniqueFd farEnd(ends[1]);
    UniqueFd wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!wake.valid()) return nullptr;
    auto port = std::make_shared<SocketPort>(device, interfaceNumber, std::move(farEnd), std::move(wake));
    device->attachSink(interfaceNumber, port);
    port->start();
    return std::make_unique<SocketNode>(std::move(device), interfaceNumber, write, std::move(nearEnd),
                                        std::move(port));
}

}  // namespace halvern::emu
