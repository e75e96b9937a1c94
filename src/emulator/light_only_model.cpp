#include "emulator/light_only_model.h"

namespace halvern::emu {

ProductModel lightOnlyModel(const LightOnlyProduct& product, std::span<const uint8_t> record) {
    return ProductModel{
        .product = product.product,
        .vendorId = product.vendorId,
        .cableProductId = product.productId,
        .receiverProductId = 0,
        .cableVersion = product.version,
        .receiverVersion = 0,
        .commandInterface = product.commandInterface,
        .commandDescriptor = product.descriptor,
        .bootDescriptor = {},
        .info = {.deviceClass = product.deviceClass, .firmwareBuild = product.version},
        .factoryKeys = {},
        .factoryLeds = {},
        .settingsSize = 512,
        .recordStride = 25,
        .factoryRecord = record,
        .recoilSize = 0,
        .customColourGroups = 0,
        .batteryLevel = 0,
        .ledOutputReports = product.ledOutputReports,
    };
}

}  // namespace halvern::emu
