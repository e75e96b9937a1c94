#include "emulator/byte_arrays.h"
#include "emulator/light_only_model.h"
#include "emulator/report_descriptors.h"

namespace halvern::emu {
namespace {

// Onboard record as read (27 bytes); bytes 9-26 hold nothing the host uses.
constexpr auto kFactoryRecord = join(
    lightHead({.mode = 0x02, .brightness = 3, .speedLevel = 2, .green = 0xFF}), std::array<uint8_t, 18>{});

}  // namespace

const ProductModel& headsetModel() {
    static const ProductModel model = lightOnlyModel({.product = Product::Headset,
                                                      .vendorId = 0x0C76,
                                                      .productId = 0x1630,
                                                      .version = 0x0100,
                                                      .commandInterface = 3,
                                                      .descriptor = headsetInterfaceDescriptor(),
                                                      .deviceClass = 4,
                                                      .ledOutputReports = true},
                                                     kFactoryRecord);
    return model;
}

}  // namespace halvern::emu
