#pragma once

#include "emulator/product_model.h"

namespace halvern::emu {

/// What tells the light-only products (mouse pad, headset) apart.
struct LightOnlyProduct {
    Product product = Product::MousePad;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint16_t commandInterface = 1;
    std::span<const uint8_t> descriptor;
    uint8_t deviceClass = 0;
    bool ledOutputReports = false;
};

/// A product that keeps only a light record: no keys, macros or recoil; records read as 27 bytes at
/// n x 25 (the host writes 21 bytes at n x 64); cable only. `record` must outlive the model.
[[nodiscard]] ProductModel lightOnlyModel(const LightOnlyProduct& product, std::span<const uint8_t> record);

}  // namespace halvern::emu
