#include "cli/list_command.h"

#include <json/json.h>

#include <cstdio>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/device_session.h"
#include "cli/json_output.h"
#include "device/interface_scan.h"

namespace halvern::cli {
namespace {

/// "command" or "notification"; the number for a role the program does not know.
std::string roleName(uint16_t role) {
    if (role == interface_role::kCommand) return "command";
    if (role == interface_role::kNotification) return "notification";
    return std::to_string(role);
}

/// "mouse", "mouse receiver"; empty for a type code no kind has.
std::string kindName(uint16_t typeCode) {
    const DeviceKindInfo* kind = findKindByType(typeCode);
    if (!kind) return {};
    return std::string(kind->name) + (typeCode == kind->receiverType ? " receiver" : "");
}

}  // namespace

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
            row["kind"] = kindName(slot.row.typeCode);
            row["role"] = slot.row.role;
            row["roleName"] = roleName(slot.row.role);
            row["vid"] = slot.row.vid;
            row["pid"] = slot.row.pid;
            row["interface"] = slot.row.interfaceNumber;
            row["collection"] = slot.row.collection;
            row["path"] = slot.path;
            rows.append(row);
            continue;
        }
        const std::string kind = kindName(slot.row.typeCode);
        const std::string type =
            "type " + std::to_string(slot.row.typeCode) + (kind.empty() ? "" : " (" + kind + ")");
        char line[160];
        std::snprintf(line, sizeof line, "%2zu  %-26s  %-12s  %04x:%04x  interface %u  collection %u  ", i,
                      type.c_str(), roleName(slot.row.role).c_str(), slot.row.vid, slot.row.pid,
                      slot.row.interfaceNumber, slot.row.collection);
        context.out << line << slot.path << '\n';
    }
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["slots"] = rows;
        printJson(context.out, root);
    }
    return kExitOk;
}

}  // namespace halvern::cli
