#include <array>

#include "emulator/product_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

// Onboard record as read (27 bytes at n x 25); the host writes 21 bytes at n x 64.
constexpr auto kFactoryRecord = std::to_array<uint8_t>({
    0x00,              // 0: record index
    0x02,              // 1: light mode device value
    0x03,              // 2: brightness
    0x02,              // 3: 4 - speed level
    0x00,              // 4: direction
    0x00,              // 5: colourful flag
    0x00, 0xFF, 0x00,  // 6-8: colour
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 9-26
});
static_assert(kFactoryRecord.size() == 27);

}  // namespace

const ProductModel& headsetModel() {
    static const ProductModel model{
        .product = Product::Headset,
        .vendorId = 0x0C76,
        .cableProductId = 0x1630,
        .receiverProductId = 0,
        .cableVersion = 0x0100,
        .receiverVersion = 0,
        .commandInterface = 3,
        .commandDescriptor = headsetInterfaceDescriptor(),
        .bootDescriptor = {},
        .info = {.deviceClass = 4, .firmwareBuild = 0x0100},
        .factoryKeys = {},
        .factoryLeds = {},
        .settingsSize = 512,
        .recordStride = 25,
        .factoryRecord = kFactoryRecord,
        .recoilSize = 0,
        .customColourGroups = 0,
        .batteryLevel = 0,
        .ledOutputReports = true,
    };
    return model;
}

}  // namespace halvern::emu
