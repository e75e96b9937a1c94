#include <array>

#include "emulator/product_model.h"

namespace halvern::emu {
namespace {

struct ProductName {
    Product product;
    std::string_view name;
};
constexpr auto kProductNames = std::to_array<ProductName>({
    {Product::Mouse, "mouse"},
    {Product::Keyboard, "keyboard"},
    {Product::MousePad, "mousepad"},
    {Product::Headset, "headset"},
});

constexpr std::string_view kReceiverSuffix = "-receiver";

}  // namespace

std::string_view productName(Product product) {
    for (const auto& entry : kProductNames) {
        if (entry.product == product) return entry.name;
    }
    return "unknown";
}

std::string deviceName(Product product, Attachment attachment) {
    std::string name(productName(product));
    if (attachment == Attachment::Receiver) name += kReceiverSuffix;
    return name;
}

std::optional<DeviceId> parseDeviceName(std::string_view name) {
    DeviceId id;
    if (name.ends_with(kReceiverSuffix)) {
        id.attachment = Attachment::Receiver;
        name.remove_suffix(kReceiverSuffix.size());
    }
    for (const auto& entry : kProductNames) {
        if (entry.name != name) continue;
        id.product = entry.product;
        if (id.attachment == Attachment::Receiver && modelFor(id.product).receiverProductId == 0) return {};
        return id;
    }
    return {};
}

const ProductModel& modelFor(Product product) {
    switch (product) {
        case Product::Mouse:
            return mouseModel();
        case Product::Keyboard:
            return keyboardModel();
        case Product::MousePad:
            return mousePadModel();
        case Product::Headset:
            return headsetModel();
    }
    return mouseModel();
}

}  // namespace halvern::emu
