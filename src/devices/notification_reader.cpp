#include "devices/notification_reader.h"

#include <array>

#include "device/debug_sink.h"

namespace halvern {
namespace {

constexpr int kReadWaitMs = 100;
constexpr auto kClosedWait = std::chrono::milliseconds(100);
/// The notification interface also receives every command reply of its device (one node per interface, as
/// hidraw gives). While replies stream past (frames, table writes) the reader takes what is waiting in one
/// go and then steps aside this long, instead of waking for each reply; a notification waits at most this.
constexpr auto kTrafficPause = std::chrono::milliseconds(10);

}  // namespace

NotificationReader::NotificationReader(HidInterface& hid, Handler handler, std::string exitText)
    : m_hid(hid), m_handler(std::move(handler)), m_exitText(std::move(exitText)) {}

void NotificationReader::start() {
    m_thread.start([this](std::stop_token token) { run(token); });
}

void NotificationReader::stop() { m_thread.stop(std::chrono::milliseconds(500)); }

bool NotificationReader::take(std::span<const uint8_t> report) {
    if (!m_hid.DecodeInputReport(report)) return false;
    const uint16_t code = m_hid.firstButtonUsage();
    if (code != 0 && m_handler) m_handler(code);
    return true;
}

void NotificationReader::run(const std::stop_token& token) {
    std::array<uint8_t, 64> report{};
    while (!token.stop_requested()) {
        if (!m_hid.isOpen()) {
            if (WorkerThread::waitForStop(token, kClosedWait)) break;
            continue;
        }
        size_t length = 0;
        const auto began = std::chrono::steady_clock::now();
        if (!m_hid.Read(report, &length, kReadWaitMs) || length == 0) {
            // A read that fails at once (a failing device) must not turn the loop into a spin.
            if (std::chrono::steady_clock::now() - began < std::chrono::milliseconds(5) &&
                WorkerThread::waitForStop(token, kClosedWait)) {
                break;
            }
            continue;
        }
        bool traffic = !take(std::span(report).first(length));
        while (!token.stop_requested() && m_hid.Read(report, &length, 0) && length != 0) {
            if (!take(std::span(report).first(length))) traffic = true;
        }
        if (traffic && WorkerThread::waitForStop(token, kTrafficPause)) break;
    }
    debugLog(m_exitText);
}

}  // namespace halvern
