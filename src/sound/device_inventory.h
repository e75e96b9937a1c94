#pragma once

#include <array>
#include <cstddef>

namespace halvern {

/// The list of supported devices a cooperating program asks for with the audio-light message: 256 signed
/// 32-bit little-endian values, all 0 but the header 2, 3, 0, 2, the number of device kinds, and then each
/// kind's VID, PID and type code in the order of the device kind table.
inline constexpr std::size_t kInventoryBytes = 1024;
/// The data kind the inventory travels under.
inline constexpr int kInventoryDataKind = 5;

[[nodiscard]] std::array<std::byte, kInventoryBytes> DeviceInventory();

}  // namespace halvern
