#pragma once

#include <string_view>

namespace halvern {
class CMerivexUSBDevice;
struct DeviceKindInfo;
}  // namespace halvern

namespace halvern::cli {

struct FoundDevice;

/// The running application's device objects, lent to a command it carries out for halvernctl: the command
/// then works on the very objects the window shows (their queues, their profiles) instead of opening the
/// device a second time. The objects belong to the application's interface thread, which runs the command.
class AttachedDevices {
public:
    virtual ~AttachedDevices() = default;
    /// The object of `kind` whose device is connected now, with its command interface in `found`; null
    /// when none is.
    [[nodiscard]] virtual CMerivexUSBDevice* find(const DeviceKindInfo& kind, FoundDevice& found) = 0;
};

}  // namespace halvern::cli
