#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "device/hid_interface.h"
#include "device/worker_thread.h"

namespace halvern {

/// Reads a device's own change reports (profile or DPI buttons, key presses) from one notification
/// interface on a thread of its own and hands each report's notification code to a handler, on that
/// thread. The handler must only record the change and ask the interface thread to act.
///
/// The thread sleeps in the interface's read until a report comes, the interface is closed or its stop is
/// requested, and while the interface is closed it sleeps until the interface is opened again: an idle or
/// unplugged device costs nothing. The interface also carries the device's command replies: while they
/// stream past, the reader drains what waits and pauses 10 ms rather than waking for each.
class NotificationReader {
public:
    using Handler = std::function<void(uint16_t code)>;

    /// `exitText` is written to the debug output when the thread ends.
    NotificationReader(HidInterface& hid, Handler handler, std::string exitText);
    ~NotificationReader() { stop(); }
    NotificationReader(const NotificationReader&) = delete;
    NotificationReader& operator=(const NotificationReader&) = delete;

    void start();
    /// Stops the thread within 500 ms.
    void stop();
    [[nodiscard]] bool running() const { return m_thread.running(); }

private:
    void run(const std::stop_token& token);
    /// Hands a notification report's code to the handler. False for any other report (a command reply).
    bool take(std::span<const uint8_t> report);

    HidInterface& m_hid;
    Handler m_handler;
    std::string m_exitText;
    WorkerThread m_thread;
};

}  // namespace halvern
