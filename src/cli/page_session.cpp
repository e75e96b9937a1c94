#include "cli/page_session.h"

#include "device/supported_devices.h"

namespace halvern::cli {
namespace {

/// The row of the device-kind table of `choice` (by its cable type code); -1 when the main window has no
/// page for it.
int pageKindIndex(const KindChoice& choice) {
    for (size_t i = 0; i < kDeviceKindTable.size(); ++i) {
        if (kDeviceKindTable[i].typeCode == choice.cableType) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

CMerivexUSBDevice* lendPageDevice(const CommandContext& context, std::string_view kind, FoundDevice& found) {
    const KindChoice* choice = findKindChoice(kind);
    if (!choice || pageKindIndex(*choice) < 0) {
        context.err << "halvernctl: there is no page for a " << kind << '\n';
        return nullptr;
    }
    CMerivexUSBDevice* device = context.attached->find(*choice, found);
    if (!device) context.err << notAttachedLine(*choice) << '\n';
    return device;
}

std::optional<FoundDevice> openPageDevice(const CommandContext& context, std::string_view kind,
                                          CMerivexUSBDevice& device) {
    const KindChoice* choice = findKindChoice(kind);
    const int index = choice ? pageKindIndex(*choice) : -1;
    if (!choice || index < 0) {
        context.err << "halvernctl: there is no page for a " << kind << '\n';
        return std::nullopt;
    }
    auto found = openKindInto(context.backend, *choice, device.commandChannel(), context.locks, context.err);
    if (!found) return std::nullopt;
    device.ConfigureFromTables(index, found->row());
    return found;
}

}  // namespace halvern::cli
