#include "app/device_kinds.h"

#include <array>
#include <functional>

namespace halvern::app {
namespace {

// One row per kind, in the order of the device kind table: adding a product kind adds its row here and
// its entry in a file of its own.
const std::array<std::reference_wrapper<const DeviceKindEntry>, 4> kKinds{
    std::cref(kMouseKind), std::cref(kKeyboardKind), std::cref(kMousePadKind), std::cref(kHeadsetKind)};

}  // namespace

std::span<const DeviceKindEntry> deviceKinds() {
    // The entries are separate objects; a span over copies keeps the interface simple for callers.
    static const std::array<DeviceKindEntry, kKinds.size()> entries = [] {
        std::array<DeviceKindEntry, kKinds.size()> all{};
        for (size_t i = 0; i < kKinds.size(); ++i) all[i] = kKinds[i].get();
        return all;
    }();
    return entries;
}

const DeviceKindEntry* deviceKind(int kindIndex) {
    for (const DeviceKindEntry& kind : deviceKinds()) {
        if (kind.kindIndex == kindIndex) return &kind;
    }
    return nullptr;
}

PageHandler findPageHandler(const DeviceKindEntry& kind, Operation operation) {
    for (const PageRoute& route : kind.routes) {
        if (route.operation == operation) return route.handle;
    }
    return findLightHandler(operation);
}

}  // namespace halvern::app
