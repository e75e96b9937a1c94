#include "devices/notification_reader.h"

#include <array>

#include "device/debug_sink.h"

namespace halvern {
namespace {

/// The notification interface also receives every command reply of its device (one node per interface, as
/// hidraw gives). While replies stream past (frames, table writes) the reader takes what is waiting in one
/// go and then steps aside this long, instead of waking for each reply; a notification waits at most this.
constexpr auto kTrafficPause = std::chrono::milliseconds(10);
/// A read that fails at once (a failing node) is not tried again sooner than this.
constexpr auto kFailurePause = std::chrono::milliseconds(100);

}  // namespace

NotificationReader::NotificationReader(HidInterface& hid, Handler handler, std::string exitText)
    : m_hid(hid), m_handler(std::move(handler)), m_exitText(std::move(exitText)) {}

void NotificationReader::start() {
    m_thread.start([this](std::stop_token token) { run(token); });
}

void NotificationReader::stop() {
    m_thread.stop(std::chrono::milliseconds(500));
}

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
            if (!m_hid.WaitUntilOpen(token)) break;
            continue;
        }
        size_t length = 0;
        if (!m_hid.Read(report, &length, -1, token) || length == 0) {
            // Closed meanwhile (the next pass sleeps until it opens again), stopped, or failing: a node that
            // fails at once must not turn the loop into a spin.
            if (m_hid.isOpen() && WorkerThread::waitForStop(token, kFailurePause)) break;
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
