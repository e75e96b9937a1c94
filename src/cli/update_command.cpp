#include "cli/update_command.h"

#include <json/json.h>

#include <array>
#include <iomanip>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "device/interface_scan.h"
#include "update/update_check.h"
#include "update/update_settings.h"

namespace halvern::cli {
namespace {

/// The firmware version of each row of the version table: row 0 the mouse, row 1 the keyboard, row 2 the
/// first other device, each from its cable command interface; 0 for what is not attached.
std::array<int, 3> attachedFirmware(HidBackend& backend) {
    std::array<int, 3> versions{};
    std::vector<HidEnumEntry> entries;
    if (!backend.enumerate(entries)) return versions;
    for (const HidEnumEntry& entry : entries) {
        for (const InterfaceRow& row : kInterfaceTable) {
            if (row.role != interface_role::kCommand || row.vid != entry.attributes.vendorId ||
                row.pid != entry.attributes.productId || row.interfaceNumber != entry.interfaceNumber ||
                row.collection != entry.collection)
                continue;
            const int kind = findKind(row.vid, row.pid, row.typeCode, row.role);
            if (kind < 0) continue;  // a receiver's interface: not the device's own firmware
            const size_t at = kind < 2 ? static_cast<size_t>(kind) : 2;
            if (versions[at] == 0) versions[at] = entry.attributes.versionNumber;
        }
    }
    return versions;
}

}  // namespace

int runUpdateCheckCommand(const CommandContext& context, const CommandArgs& args) {
    bool json = context.json;
    std::string server;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--server" && i + 1 < args.size()) {
            server = args[++i];
        } else {
            return usageError(context, "update-check",
                              args[i] == "--server"      ? std::string("--server needs a value")
                              : args[i].starts_with("-") ? "unknown option " + args[i]
                                                         : "takes no words");
        }
    }
    std::string address = server.empty() ? GetUpdateServerAddress() : NormaliseServerAddress(server);
    if (address.empty()) {
        context.err << (server.empty()
                            ? "halvernctl: no update server is configured: set \"UpdateServer\" in "
                              "~/.config/Halvern/settings.json or HALVERN_UPDATE_URL, or give --server\n"
                            : "halvernctl: --server needs an http or https address\n");
        return server.empty() ? kExitDeviceError : kExitUsage;
    }

    const std::array<int, 3> firmware = attachedFirmware(context.backend);
    const std::string appText = "V" + std::string(ApplicationVersionText());
    const std::vector<CheckEntry> entries =
        EntriesToCheck(MakeCheckEntries(firmware, VersionNumberOf(ApplicationVersionText()), appText));
    std::vector<CheckItem> items(entries.size());
    CheckListener listener;
    listener.itemChecked = [&items](size_t k, const CheckItem& item) { items[k] = item; };
    HttpClient client;
    const CheckStatus status = RunUpdateCheck(entries, address, client, listener);
    if (status != CheckStatus::NoServer) {
        if (!WriteLastCheckDate(LastCheckFile(), TodayText()))
            context.err << "halvernctl: cannot store the date of this check\n";
    }

    if (json) {
        Json::Value root;
        root["server"] = address;
        root["reached"] = status != CheckStatus::NoServer;
        root["complete"] = status != CheckStatus::NoServer && status != CheckStatus::Incomplete;
        root["updates"] = status == CheckStatus::UpdatesFound;
        Json::Value rows(Json::arrayValue);
        for (const CheckItem& item : items) {
            Json::Value row;
            row["name"] = item.name;
            row["installed"] = item.installedText;
            row["offered"] = item.offeredText;
            row["state"] = static_cast<int>(item.state);
            row["stateText"] = std::string(LookOf(item.state).word);
            row["download"] = item.downloadAddress;
            rows.append(row);
        }
        root["items"] = rows;
        printJson(context.out, root);
    } else {
        for (const CheckItem& item : items) {
            context.out << std::left << std::setw(6) << item.name << std::setw(12) << item.installedText
                        << std::setw(12) << (item.offeredText.empty() ? "-" : item.offeredText)
                        << LookOf(item.state).word;
            if (!item.downloadAddress.empty() && item.state != UpdateState::UpToDate)
                context.out << "  " << item.downloadAddress;
            context.out << '\n';
        }
    }
    if (status == CheckStatus::NoServer) {
        context.err << "halvernctl: the update server " << address << " could not be reached\n";
        return kExitDeviceError;
    }
    if (status == CheckStatus::Incomplete) {
        context.err << "halvernctl: the update server " << address << " did not answer for every item\n";
        return kExitDeviceError;
    }
    return kExitOk;
}

}  // namespace halvern::cli
