#include "device/kind_registry.h"

#include <array>

namespace halvern {
namespace {

using namespace type_code;

constexpr std::array<DeviceKindInfo, kDeviceKindCount> kKinds{{
    {"mouse", "mouse", 0, kMouse, kMouseReceiver},
    {"keyboard", "keyboard", 1, kKeyboard, kKeyboardReceiver},
    {"mousepad", "mouse pad", 2, kMousePad, 0},
    {"headset", "headset", 3, kHeadset, 0},
}};

}  // namespace

std::span<const DeviceKindInfo> deviceKindInfos() {
    return kKinds;
}

const DeviceKindInfo* findKindByName(std::string_view name) {
    for (const DeviceKindInfo& kind : kKinds) {
        if (kind.name == name) return &kind;
    }
    return nullptr;
}

const DeviceKindInfo* findKindByIndex(int kindIndex) {
    if (kindIndex < 0 || static_cast<size_t>(kindIndex) >= kKinds.size()) return nullptr;
    return &kKinds[static_cast<size_t>(kindIndex)];
}

const DeviceKindInfo* findKindByType(uint16_t typeCode) {
    if (typeCode == 0) return nullptr;
    for (const DeviceKindInfo& kind : kKinds) {
        if (kind.cableType == typeCode || kind.receiverType == typeCode) return &kind;
    }
    return nullptr;
}

std::string_view kindDisplayText(std::string_view name) {
    const DeviceKindInfo* kind = findKindByName(name);
    return kind ? kind->displayName : name;
}

}  // namespace halvern
