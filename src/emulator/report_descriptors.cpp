#include "emulator/report_descriptors.h"

#include "emulator/byte_arrays.h"

namespace halvern::emu {
namespace {

// Item bytes as a USB analyser shows them: prefix byte, then data (little-endian). Parts that appear in
// more than one descriptor are named once and joined.

// clang-format off
constexpr auto kEndCollection = std::to_array<uint8_t>({0xC0});

// Modifier bits, a reserved byte and six key slots: the boot keyboard report.
constexpr auto kKeyboardItems = std::to_array<uint8_t>({
    0x05, 0x07,        // Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        // Usage Minimum (Left Control)
    0x29, 0xE7,        // Usage Maximum (Right GUI)
    0x15, 0x00,        // Logical Minimum (0)
    0x25, 0x01,        // Logical Maximum (1)
    0x75, 0x01,        // Report Size (1)
    0x95, 0x08,        // Report Count (8)
    0x81, 0x02,        // Input (Data, Variable, Absolute): modifiers
    0x75, 0x08,        // Report Size (8)
    0x95, 0x01,        // Report Count (1)
    0x81, 0x01,        // Input (Constant): reserved byte
    0x95, 0x06,        // Report Count (6)
    0x26, 0xFF, 0x00,  // Logical Maximum (255)
    0x19, 0x00,        // Usage Minimum (0)
    0x2A, 0xFF, 0x00,  // Usage Maximum (255)
    0x81, 0x00,        // Input (Data, Array): six keys
});

// Report 3: one 16-bit consumer usage (the device's change notifications).
constexpr auto kConsumerItems = std::to_array<uint8_t>({
    0x85, 0x03,        // Report ID (3)
    0x15, 0x00,        // Logical Minimum (0)
    0x26, 0xFF, 0x7F,  // Logical Maximum (0x7FFF)
    0x19, 0x00,        // Usage Minimum (0)
    0x2A, 0xFF, 0x7F,  // Usage Maximum (0x7FFF)
    0x75, 0x10,        // Report Size (16)
    0x95, 0x01,        // Report Count (1)
    0x81, 0x00,        // Input (Data, Array): one consumer usage
});

// Report 4: 63 data bytes each way (64 with the report ID), the command request and reply.
constexpr auto kCommandItems = std::to_array<uint8_t>({
    0x85, 0x04,        // Report ID (4)
    0x09, 0x01,        // Usage (0x01)
    0x15, 0x00,        // Logical Minimum (0)
    0x26, 0xFF, 0x00,  // Logical Maximum (255)
    0x75, 0x08,        // Report Size (8)
    0x95, 0x3F,        // Report Count (63)
    0x81, 0x02,        // Input (Data, Variable, Absolute): reply
    0x09, 0x02,        // Usage (0x02)
    0x95, 0x3F,        // Report Count (63)
    0x91, 0x02,        // Output (Data, Variable, Absolute): request
});

constexpr auto kVendorUsagePage = std::to_array<uint8_t>({0x06, 0x1C, 0xFF});  // Usage Page (Vendor 0xFF1C)

constexpr auto kKeyboardCollection = std::to_array<uint8_t>({
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x06,  // Usage (Keyboard)
    0xA1, 0x01,  // Collection (Application)
});

constexpr auto kVendorInterface = join(
    kKeyboardCollection, std::to_array<uint8_t>({0x85, 0x01}), kKeyboardItems, kEndCollection,  // ID 1
    std::to_array<uint8_t>({
        0x05, 0x01,  // Usage Page (Generic Desktop)
        0x09, 0x80,  // Usage (System Control)
        0xA1, 0x01,  // Collection (Application)
        0x85, 0x02,  //   Report ID (2)
        0x19, 0x81,  //   Usage Minimum (System Power Down)
        0x29, 0x83,  //   Usage Maximum (System Wake Up)
        0x15, 0x00,  //   Logical Minimum (0)
        0x25, 0x01,  //   Logical Maximum (1)
        0x75, 0x01,  //   Report Size (1)
        0x95, 0x03,  //   Report Count (3)
        0x81, 0x02,  //   Input (Data, Variable, Absolute)
        0x95, 0x05,  //   Report Count (5)
        0x81, 0x01,  //   Input (Constant): padding
        0xC0,        // End Collection
        0x05, 0x0C,  // Usage Page (Consumer)
        0x09, 0x01,  // Usage (Consumer Control)
        0xA1, 0x01,  // Collection (Application)
    }),
    kConsumerItems, kEndCollection,
    kVendorUsagePage,
    std::to_array<uint8_t>({
        0x09, 0x92,  // Usage (0x92)
        0xA1, 0x01,  // Collection (Application)
    }),
    kCommandItems, kEndCollection);

constexpr auto kHeadsetInterface = join(
    std::to_array<uint8_t>({
        0x05, 0x0C,  // Usage Page (Consumer)
        0x09, 0x01,  // Usage (Consumer Control)
        0xA1, 0x01,  // Collection (Application)
    }),
    kConsumerItems, kVendorUsagePage, kCommandItems,
    std::to_array<uint8_t>({
        0x85, 0xFF,  // Report ID (255)
        0x09, 0x03,  // Usage (0x03)
        0x95, 0x10,  // Report Count (16)
        0x91, 0x02,  // Output (Data, Variable, Absolute): LED registers
    }),
    kEndCollection);

constexpr auto kBootMouse = std::to_array<uint8_t>({
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x02,        // Usage (Mouse)
    0xA1, 0x01,        // Collection (Application)
    0x09, 0x01,        //   Usage (Pointer)
    0xA1, 0x00,        //   Collection (Physical)
    0x05, 0x09,        //     Usage Page (Button)
    0x19, 0x01,        //     Usage Minimum (1)
    0x29, 0x03,        //     Usage Maximum (3)
    0x15, 0x00,        //     Logical Minimum (0)
    0x25, 0x01,        //     Logical Maximum (1)
    0x95, 0x03,        //     Report Count (3)
    0x75, 0x01,        //     Report Size (1)
    0x81, 0x02,        //     Input (Data, Variable, Absolute): buttons
    0x95, 0x01,        //     Report Count (1)
    0x75, 0x05,        //     Report Size (5)
    0x81, 0x01,        //     Input (Constant): padding
    0x05, 0x01,        //     Usage Page (Generic Desktop)
    0x09, 0x30,        //     Usage (X)
    0x09, 0x31,        //     Usage (Y)
    0x09, 0x38,        //     Usage (Wheel)
    0x15, 0x81,        //     Logical Minimum (-127)
    0x25, 0x7F,        //     Logical Maximum (127)
    0x75, 0x08,        //     Report Size (8)
    0x95, 0x03,        //     Report Count (3)
    0x81, 0x06,        //     Input (Data, Variable, Relative)
    0xC0,              //   End Collection
    0xC0,              // End Collection
});

constexpr auto kBootKeyboard = join(kKeyboardCollection, kKeyboardItems, kEndCollection);
// clang-format on

}  // namespace

std::span<const uint8_t> vendorInterfaceDescriptor() {
    return kVendorInterface;
}
std::span<const uint8_t> headsetInterfaceDescriptor() {
    return kHeadsetInterface;
}
std::span<const uint8_t> bootMouseDescriptor() {
    return kBootMouse;
}
std::span<const uint8_t> bootKeyboardDescriptor() {
    return kBootKeyboard;
}

}  // namespace halvern::emu
