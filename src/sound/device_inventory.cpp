#include "sound/device_inventory.h"

#include <cstdint>

#include "device/supported_devices.h"
#include "sound/companion_protocol.h"

namespace halvern {

std::array<std::byte, kInventoryBytes> DeviceInventory() {
    std::array<std::byte, kInventoryBytes> block{};
    std::size_t at = 0;
    const auto put = [&block, &at](uint32_t value) {
        if (at + 4 > block.size()) return;  // the table cannot outgrow the block; stop at its end if it did
        companion::putLe(block, at, value);
        at += 4;
    };
    for (const uint32_t header : {2U, 3U, 0U, 2U}) put(header);
    put(static_cast<uint32_t>(kDeviceKindTable.size()));
    for (const DeviceKindRow& row : kDeviceKindTable) {
        put(row.vid);
        put(row.pid);
        put(row.typeCode);
    }
    return block;
}

}  // namespace halvern
