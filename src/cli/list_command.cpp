#include "cli/list_command.h"

#include <json/json.h>

#include <cstdio>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "device/interface_scan.h"

namespace halvern::cli {

int runListCommand(const CommandContext& context, const CommandArgs& args) {
    if (!args.empty()) {
        return usageError(context, "list",
                          args[0].starts_with("-") ? "unknown option " + args[0] : "takes no words");
    }
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(context.backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    if (!claimed) {
        context.err << "halvernctl: cannot list the HID devices (is udev available?)\n";
        return kExitDeviceError;
    }
    Json::Value rows(Json::arrayValue);
    for (size_t i = 0; i < slots.size(); ++i) {
        const DeviceSlot& slot = slots[i];
        if (slot.row.inUse == 0) continue;
        if (context.json) {
            Json::Value row;
            row["slot"] = static_cast<int>(i);
            row["type"] = slot.row.typeCode;
            row["role"] = slot.row.role;
            row["vid"] = slot.row.vid;
            row["pid"] = slot.row.pid;
            row["interface"] = slot.row.interfaceNumber;
            row["collection"] = slot.row.collection;
            row["path"] = slot.path;
            rows.append(row);
            continue;
        }
        char line[96];
        std::snprintf(line, sizeof line, "%2zu  type %u  role %3u  %04x:%04x  interface %u  collection %u  ",
                      i, slot.row.typeCode, slot.row.role, slot.row.vid, slot.row.pid,
                      slot.row.interfaceNumber, slot.row.collection);
        context.out << line << slot.path << '\n';
    }
    if (context.json) context.out << rows.toStyledString();
    return kExitOk;
}

}  // namespace halvern::cli
