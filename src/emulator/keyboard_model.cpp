#include <array>

#include "emulator/byte_arrays.h"
#include "emulator/product_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

constexpr KeyCode key(uint8_t usage) {
    return {0x20, 0x00, usage};
}
constexpr KeyCode mod(uint8_t mask) {
    return {0x20, mask, 0x00};
}
constexpr KeyCode none() {
    return {0x20, 0x00, 0x00};
}

// Default code of each of the 170 logical keys, in logical order: type 0x20 (keyboard key), modifier
// mask, HID keyboard usage; 0xA0 and 0xD0 are the keyboard's own functions.
// clang-format off
constexpr auto kLogicalDefaults = std::to_array<KeyCode>({
    key(0x29), key(0x3A), key(0x3B), key(0x3C), key(0x3D), key(0x3E), key(0x3F), key(0x40),      // 0-7
    key(0x41), key(0x42), key(0x43), key(0x44), key(0x45), key(0x46), key(0x47), key(0x48),      // 8-15
    {0xA0, 0x1B, 0x00}, {0xA0, 0x24, 0x00}, none(), none(), none(), key(0x35), key(0x1E),      // 16-22
    key(0x1F), key(0x20), key(0x21), key(0x22), key(0x23), key(0x24), key(0x25), key(0x26),      // 23-30
    key(0x27), key(0x2D), key(0x2E), key(0x2A), key(0x49), key(0x4A), key(0x4B), key(0x53),      // 31-38
    key(0x54), key(0x55), key(0x56), key(0x2B), key(0x14), key(0x1A), key(0x08), key(0x15),      // 39-46
    key(0x17), key(0x1C), key(0x18), key(0x0C), key(0x12), key(0x13), key(0x2F), key(0x30),      // 47-54
    key(0x31), key(0x4C), key(0x4D), key(0x4E), key(0x5F), key(0x60), key(0x61), key(0x32),      // 55-62
    key(0x39), key(0x04), key(0x16), key(0x07), key(0x09), key(0x0A), key(0x0B), key(0x0D),      // 63-70
    key(0x0E), key(0x0F), key(0x33), key(0x34), key(0x28), key(0x5C), key(0x5D), key(0x5E),      // 71-78
    key(0x8A), key(0x8B), key(0x90), key(0x91), key(0x88), mod(0x02), key(0x1D), key(0x1B),      // 79-86
    key(0x06), key(0x19), key(0x05), key(0x11), key(0x10), key(0x36), key(0x37), key(0x38),      // 87-94
    mod(0x20), key(0x52), key(0x59), key(0x5A), key(0x5B), key(0x87), key(0x89), key(0x64),      // 95-102
    key(0x85), none(), mod(0x01), mod(0x08), mod(0x04), key(0x2C), mod(0x40),                   // 103-109
    {0xA0, 0x01, 0x00}, key(0x65), mod(0x10), key(0x50), key(0x51), key(0x4F), key(0x62),      // 110-116
    key(0x63), key(0x58), key(0x57), {0xD0, 0xA2, 0x01}, {0xD0, 0xA2, 0x02},                   // 117-121
    {0xD0, 0xA2, 0x03}, {0xD0, 0xA2, 0x04}, {0xD0, 0xA2, 0x05}, mod(0x80),                     // 122-125
    none(), none(), none(), none(), none(), none(), none(), none(), none(), none(), none(),      // 126-136
    none(), none(), none(), none(), none(), none(), none(), none(), none(), none(), none(),      // 137-147
    none(), none(), none(), none(), none(), none(), none(), none(), none(), none(), none(),      // 148-158
    none(), none(), none(), none(), none(), none(), none(), none(), none(), none(), none(),      // 159-169
});
// clang-format on
static_assert(kLogicalDefaults.size() == 170);

// Keys 0-125 each own a slot (four of them hold the empty code); the factory order scatters them.
constexpr size_t kSlots = 126;
constexpr size_t logicalKeyAtSlot(size_t slot) {
    return (slot * 47 + 11) % kSlots;
}

constexpr auto kFactoryKeys = [] {
    std::array<KeyCode, kSlots> table{};
    for (size_t slot = 0; slot < kSlots; ++slot) table[slot] = kLogicalDefaults[logicalKeyAtSlot(slot)];
    return table;
}();

// The LED position of a slot is the logical key it holds.
constexpr auto kFactoryLeds = [] {
    std::array<uint8_t, kSlots> leds{};
    for (size_t slot = 0; slot < kSlots; ++slot) leds[slot] = static_cast<uint8_t>(logicalKeyAtSlot(slot));
    return leds;
}();

// clang-format off
constexpr auto kFactoryRecord = join(
    lightHead({.mode = 0x01, .brightness = 4, .speedLevel = 2, .colourful = 1, .green = 0xFF, .blue = 0xFF}),
    std::to_array<uint8_t>({
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 9-18
        0x00,              // 19: LED sub-mode
        0x00,              // 20: W flag
        0x00,              // 21: 6-key flag
        0x00,              // 22: Windows-key lock
        0x03,              // 23: polling rate
        0x00, 0x00,        // 24-25
        0x00,              // 26: custom colour group
    }));
// clang-format on
static_assert(kFactoryRecord.size() == 27);

}  // namespace

const ProductModel& keyboardModel() {
    static const ProductModel model{
        .product = Product::Keyboard,
        .vendorId = 0x320F,
        .cableProductId = 0x5055,
        .receiverProductId = 0x5001,
        .cableVersion = 0x0110,
        .receiverVersion = 0x0202,
        .commandInterface = 1,
        .commandDescriptor = vendorInterfaceDescriptor(),
        .bootDescriptor = bootKeyboardDescriptor(),
        .info = {.deviceClass = 2, .macroUnits = 16, .firmwareBuild = 0x0110},
        .factoryKeys = kFactoryKeys,
        .factoryLeds = kFactoryLeds,
        .settingsSize = 512,
        .recordStride = 25,
        .factoryRecord = kFactoryRecord,
        .recoilSize = 0,
        .customColourGroups = 8,
        .batteryLevel = 70,
    };
    return model;
}

}  // namespace halvern::emu
