#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "emulator/emulator_types.h"

namespace halvern::emu {

/// One key-assignment code as the key table stores it: type byte, then two data bytes.
struct KeyCode {
    uint8_t type = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    friend constexpr bool operator==(const KeyCode&, const KeyCode&) = default;
};

/// Information-block values a product ships with (DeviceConfig overrides them).
struct InfoDefaults {
    uint8_t deviceClass = 0;  ///< info byte 0
    uint8_t macroUnits = 0;
    uint16_t sensorCode = 0;
    uint8_t dpiStep = 0;
    uint16_t highestSliderPosition = 0;
    uint16_t lowestDpi = 0;
    uint16_t firmwareBuild = 0;  ///< info bytes 32-33
};

/// Everything that makes one product different from another: USB identity, report descriptors and the
/// layout and factory contents of its memory. The firmware core reads nothing else.
struct ProductModel {
    Product product = Product::Mouse;
    uint16_t vendorId = 0;
    uint16_t cableProductId = 0;
    uint16_t receiverProductId = 0;  ///< 0: no receiver form
    uint16_t cableVersion = 0;       ///< bcdDevice
    uint16_t receiverVersion = 0;
    uint16_t commandInterface = 1;  ///< USB interface that carries the command and consumer reports
    std::span<const uint8_t> commandDescriptor;
    std::span<const uint8_t> bootDescriptor;  ///< interface 0; empty when the product has none
    InfoDefaults info;
    std::span<const KeyCode> factoryKeys;    ///< key table in slot order; its size is the default slot count
    std::span<const uint8_t> factoryLeds;    ///< LED position per slot; slots beyond it have 0xFF
    uint16_t settingsSize = 0;               ///< bytes of settings memory
    uint16_t recordStride = 0;               ///< onboard record n is read at n x stride
    std::span<const uint8_t> factoryRecord;  ///< contents of every onboard record (byte 0 is set per record)
    uint16_t recoilSize = 0;
    uint8_t customColourGroups = 0;  ///< 512-byte blocks of custom colour memory
    uint8_t batteryLevel = 0;        ///< power status byte 0
    bool ledOutputReports = false;   ///< takes 17-byte LED reports (ID 0xFF)
};

inline constexpr size_t kCustomGroupSize = 512;
inline constexpr size_t kFrameSize = 512;
inline constexpr size_t kInfoSize = 34;
inline constexpr size_t kPowerSize = 6;
inline constexpr size_t kMacroUnit = 128;

const ProductModel& mouseModel();
const ProductModel& keyboardModel();
const ProductModel& mousePadModel();
const ProductModel& headsetModel();

/// The model of a product.
[[nodiscard]] const ProductModel& modelFor(Product product);

}  // namespace halvern::emu
