#include "cli/page_session.h"

#include "device/supported_devices.h"

namespace halvern::cli {

CMerivexUSBDevice* lendPageDevice(const CommandContext& context, std::string_view kind, FoundDevice& found) {
    const DeviceKindInfo* choice = findKindByName(kind);
    if (!choice) {
        context.err << "halvernctl: there is no page for a " << kind << '\n';
        return nullptr;
    }
    CMerivexUSBDevice* device = context.attached->find(*choice, found);
    if (!device) context.err << notAttachedLine(*choice) << '\n';
    return device;
}

std::optional<FoundDevice> openPageDevice(const CommandContext& context, std::string_view kind,
                                          CMerivexUSBDevice& device) {
    const DeviceKindInfo* choice = findKindByName(kind);
    if (!choice) {
        context.err << "halvernctl: there is no page for a " << kind << '\n';
        return std::nullopt;
    }
    auto found = openKindInto(context.backend, *choice, device.commandChannel(), context.locks, context.err);
    if (!found) return std::nullopt;
    device.ConfigureFromTables(choice->kindIndex, found->row());
    return found;
}

}  // namespace halvern::cli
