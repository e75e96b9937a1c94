#include <array>

#include "emulator/byte_arrays.h"
#include "emulator/product_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

// The mouse's 11 buttons are spread over 12 slots in a factory order of its own; slot 5 is unused.
// clang-format off
constexpr auto kFactoryKeys = std::to_array<KeyCode>({
    {0x10, 0x02, 0x00},  // slot 0: right button
    {0x10, 0x01, 0x00},  // slot 1: left button
    {0x10, 0x04, 0x00},  // slot 2: middle button
    {0x10, 0x08, 0x00},  // slot 3: back
    {0x10, 0x10, 0x00},  // slot 4: forward
    {0x00, 0x00, 0x00},  // slot 5: unused
    {0x13, 0x02, 0x00},  // slot 6: DPI down
    {0x13, 0x01, 0x00},  // slot 7: DPI up
    {0x16, 0x90, 0x01},  // slot 8: wheel left
    {0x14, 0x78, 0x02},  // slot 9: wheel right
    {0xA0, 0x1B, 0x00},  // slot 10: profile switch
    {0x13, 0x03, 0x00},  // slot 11: DPI cycle
});

constexpr auto kFactoryLeds = std::to_array<uint8_t>({0, 1, 2, 3, 4, 0xFF, 5, 5, 0xFF, 0xFF, 0xFF, 5});

// Onboard record as shipped (80 bytes, little-endian values). DPI values are slider positions:
// DPI = lowest DPI + position x DPI step up to position 48 (5000 DPI), 200 DPI per position above:
// 400, 800, 1600, 3200, 6400, 16000.
constexpr auto kFactoryRecord = join(
    lightHead({.mode = 0x01, .brightness = 4, .speedLevel = 2, .red = 0xFF}),
    std::to_array<uint8_t>({
        0x00, 0x00,              // 9-10
        0x03,                    // 11: polling-rate index
        0x01,                    // 12: active DPI stage
        0x00,                    // 13
        1, 0, 2, 0, 2, 0, 0xFF, 0x00, 0x00,        // 14-22: stage 0
        1, 0, 6, 0, 6, 0, 0x00, 0xFF, 0x00,        // 23-31: stage 1
        1, 0, 14, 0, 14, 0, 0x00, 0x00, 0xFF,      // 32-40: stage 2
        1, 0, 30, 0, 30, 0, 0xFF, 0xFF, 0x00,      // 41-49: stage 3
        1, 0, 55, 0, 55, 0, 0x00, 0xFF, 0xFF,      // 50-58: stage 4
        1, 0, 103, 0, 103, 0, 0xFF, 0x00, 0xFF,    // 59-67: stage 5
        0x01,                    // 68
        0x80, 0x07,              // 69-70: screen width 1920
        0x38, 0x04,              // 71-72: screen height 1080
        0x00, 0x00,              // 73-74: angle correction
        0x00, 0x00, 0x00, 0x00, 0x00,  // 75-79: read-only tail
    }));
// clang-format on
static_assert(kFactoryRecord.size() == 80);

}  // namespace

const ProductModel& mouseModel() {
    static const ProductModel model{
        .product = Product::Mouse,
        .vendorId = 0x320F,
        .cableProductId = 0x221C,
        .receiverProductId = 0x221D,
        .cableVersion = 0x0105,
        .receiverVersion = 0x0203,
        .commandInterface = 1,
        .commandDescriptor = vendorInterfaceDescriptor(),
        .bootDescriptor = bootMouseDescriptor(),
        .info = {.deviceClass = 1,
                 .macroUnits = 32,
                 .sensorCode = 0x3325,
                 .dpiStep = 100,
                 .highestSliderPosition = 148,  // 25000 DPI
                 .lowestDpi = 200,
                 .firmwareBuild = 0x0105},
        .factoryKeys = kFactoryKeys,
        .factoryLeds = kFactoryLeds,
        .settingsSize = 2048,
        .recordStride = 128,
        .factoryRecord = kFactoryRecord,
        .recoilSize = 4096,
        .customColourGroups = 1,
        .batteryLevel = 85,
    };
    return model;
}

}  // namespace halvern::emu
