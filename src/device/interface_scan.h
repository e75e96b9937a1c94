#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/hid_interface.h"
#include "device/supported_devices.h"

namespace halvern {

/// An interface that a scan bound to a device slot.
struct ClaimedInterface {
    int slot = -1;
    uint16_t typeCode = 0;
    uint16_t role = 0;
    std::string path;
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;
};

/// One pass over the present interfaces: every path whose identity matches a free slot is opened (read
/// only) through `probe`, and claimed when its usage page and usage match too. Returns the interfaces
/// claimed by this pass in enumeration order, or nothing when the enumeration itself failed.
/// `unopened`, when given, counts the matching interfaces that could not be opened (worth a retry);
/// `denied`, when given, receives the paths among them that the user has no permission to open.
[[nodiscard]] std::optional<std::vector<ClaimedInterface>> claimNewInterfaces(
    HidInterface& probe, DeviceSlotList& slots, int* unopened = nullptr,
    std::vector<std::string>* denied = nullptr);

}  // namespace halvern
