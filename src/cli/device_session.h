#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/run_locks.h"
#include "device/command_channel.h"
#include "device/interface_scan.h"
#include "device/kind_registry.h"

namespace halvern::cli {

/// "halvernctl: no <kind> is attached".
[[nodiscard]] std::string notAttachedLine(const DeviceKindInfo& kind);

/// A kind's command interface as one scan found it: the cable form when present, else the receiver form.
struct FoundDevice {
    ClaimedInterface command;
    bool viaReceiver = false;

    /// "vvvv:pppp on its cable (path)" or "... through its receiver (path)".
    [[nodiscard]] std::string describe() const;
    /// The row of the supported-device table the command interface was claimed for.
    [[nodiscard]] const InterfaceRow& row() const;
};

/// Opens the kind's command interface into `channel` the way a device page does: a scan claims the
/// interfaces, the cable form is preferred, and the interface is opened as the channel's cable interface
/// (mode 1) or receiver interface (mode 2), and the channel marked connected. Serves a bare channel and a
/// device object's command channel alike. Nothing, with one line on `err`, when no such device is
/// attached or it cannot be opened. With `locks`, the device's lock is taken (held for the run) before
/// the device is opened; nothing, with one line on `err`, when another program keeps it.
[[nodiscard]] std::optional<FoundDevice> openKindInto(HidBackend& backend, const DeviceKindInfo& kind,
                                                      CommandChannel& channel, RunLocks* locks,
                                                      std::ostream& err);

/// A device's command interface opened into a command channel of its own (for the commands that speak
/// the protocol directly).
class DeviceSession {
public:
    /// Scans the backend and opens the kind's command interface (as openKindInto). Nothing, with one
    /// line on `err`, when no such device is attached or it cannot be opened.
    [[nodiscard]] static std::unique_ptr<DeviceSession> open(HidBackend& backend, const DeviceKindInfo& kind,
                                                             RunLocks* locks, std::ostream& err);

    [[nodiscard]] CommandChannel& channel() { return m_channel; }
    [[nodiscard]] const ClaimedInterface& command() const { return m_found.command; }
    [[nodiscard]] bool viaReceiver() const { return m_found.viaReceiver; }
    [[nodiscard]] std::string describe() const { return m_found.describe(); }
    [[nodiscard]] const FoundDevice& found() const { return m_found; }

    explicit DeviceSession(HidBackend& backend) : m_channel(backend) {}

private:
    CommandChannel m_channel;
    FoundDevice m_found;
};

/// One sentence for a failed command's result code.
[[nodiscard]] std::string describeResult(int resultCode);

}  // namespace halvern::cli
