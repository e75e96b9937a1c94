#include "emulator/byte_arrays.h"
#include "emulator/light_only_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

// Onboard record as read (27 bytes); bytes 9-26 hold nothing the host uses.
constexpr auto kFactoryRecord =
    join(lightHead({.mode = 0x01, .brightness = 4, .speedLevel = 2, .colourful = 1, .blue = 0xFF}),
         std::array<uint8_t, 18>{});

}  // namespace

const ProductModel& mousePadModel() {
    static const ProductModel model = lightOnlyModel({.product = Product::MousePad,
                                                      .vendorId = 0x320F,
                                                      .productId = 0x1004,
                                                      .version = 0x0101,
                                                      .commandInterface = 1,
                                                      .descriptor = vendorInterfaceDescriptor(),
                                                      .deviceClass = 3},
                                                     kFactoryRecord);
    return model;
}

}  // namespace halvern::emu
