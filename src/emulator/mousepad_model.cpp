#include <array>

#include "emulator/product_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

// Onboard record as read (27 bytes at n x 25); the host writes 21 bytes at n x 64.
constexpr auto kFactoryRecord = std::to_array<uint8_t>({
    0x00,              // 0: record index
    0x01,              // 1: light mode device value
    0x04,              // 2: brightness
    0x02,              // 3: 4 - speed level
    0x00,              // 4: direction
    0x01,              // 5: colourful flag
    0x00, 0x00, 0xFF,  // 6-8: colour
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 9-26
});
static_assert(kFactoryRecord.size() == 27);

}  // namespace

const ProductModel& mousePadModel() {
    static const ProductModel model{
        .product = Product::MousePad,
        .vendorId = 0x320F,
        .cableProductId = 0x1004,
        .receiverProductId = 0,
        .cableVersion = 0x0101,
        .receiverVersion = 0,
        .commandInterface = 1,
        .commandDescriptor = vendorInterfaceDescriptor(),
        .bootDescriptor = {},
        .info = {.deviceClass = 3, .firmwareBuild = 0x0101},
        .factoryKeys = {},
        .factoryLeds = {},
        .settingsSize = 512,
        .recordStride = 25,
        .factoryRecord = kFactoryRecord,
        .recoilSize = 0,
        .customColourGroups = 0,
        .batteryLevel = 0,
    };
    return model;
}

}  // namespace halvern::emu
