#pragma once

#include <cstdint>
#include <span>

namespace halvern::emu {

/// Interface 1 of the mouse, keyboard and mouse pad (cable and receiver): four top-level collections.
/// 1 keyboard (report ID 1), 2 system control (ID 2), 3 consumer control (0x000C/0x0001, ID 3, one 16-bit
/// usage), 4 vendor command collection (0xFF1C/0x0092, ID 4, 63 data bytes each way).
[[nodiscard]] std::span<const uint8_t> vendorInterfaceDescriptor();

/// Interface 3 of the headset: one consumer collection (0x000C/0x0001) carrying the consumer input report
/// (ID 3), the 64-byte command reports (ID 4) and the 17-byte LED output report (ID 0xFF).
[[nodiscard]] std::span<const uint8_t> headsetInterfaceDescriptor();

/// Interface 0 of the mouse: a boot mouse without report IDs.
[[nodiscard]] std::span<const uint8_t> bootMouseDescriptor();

/// Interface 0 of the keyboard: a boot keyboard without report IDs.
[[nodiscard]] std::span<const uint8_t> bootKeyboardDescriptor();

}  // namespace halvern::emu
