#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "device/command_channel.h"
#include "device/interface_scan.h"

namespace halvern::cli {

/// The product families halvernctl can address by name.
struct KindChoice {
    std::string_view name;  ///< "mouse", "keyboard", "mousepad", "headset"
    uint16_t cableType = 0;
    uint16_t receiverType = 0;  ///< 0 when the product has no receiver form
};
[[nodiscard]] const KindChoice* findKindChoice(std::string_view name);

/// A device's command interface opened into a command channel the way a page opens it: cable form when
/// present, else the receiver form (mode 2).
class DeviceSession {
public:
    /// Scans the backend and opens the kind's command interface. Nothing, with one line on `err`, when
    /// no such device is attached or it cannot be opened.
    [[nodiscard]] static std::unique_ptr<DeviceSession> open(HidBackend& backend, const KindChoice& kind,
                                                             std::ostream& err);

    [[nodiscard]] CommandChannel& channel() { return m_channel; }
    [[nodiscard]] const ClaimedInterface& command() const { return m_command; }
    [[nodiscard]] bool viaReceiver() const { return m_viaReceiver; }
    [[nodiscard]] std::string describe() const;

    explicit DeviceSession(HidBackend& backend) : m_channel(backend) {}

private:
    CommandChannel m_channel;
    ClaimedInterface m_command;
    bool m_viaReceiver = false;
};

/// One sentence for a failed command's result code.
[[nodiscard]] std::string describeResult(int resultCode);

}  // namespace halvern::cli
