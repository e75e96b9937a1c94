#include "cli/profile_command.h"

#include <algorithm>
#include <array>
#include <memory>
#include <sstream>
#include <string>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/light_record_session.h"
#include "cli/mouse_session.h"
#include "cli/standard_files.h"
#include "profile/json_file.h"
#include "profile/profile_cli.h"

namespace halvern::cli {
namespace {

/// The verbs after which the selected profile may be another one, or hold other settings.
constexpr std::array<std::string_view, 6> kDeviceVerbs{"select", "add", "copy", "delete", "reset", "import"};

/// An opened device of any kind, as the window holds it while its page shows.
struct OpenedDevice {
    std::unique_ptr<CMerivexUSBDevice> owned;
    CMerivexUSBDevice* device = nullptr;
};

template <class Session>
OpenedDevice take(std::optional<Session> session) {
    if (!session) return {};
    return {std::move(session->owned), session->device};
}

OpenedDevice openKind(const CommandContext& context, std::string_view kind) {
    if (kind == "mouse") return take(openMouse(context));
    if (kind == "keyboard") return take(openKeyboard(context));
    return take(openLightRecordDevice(context, kind));
}

bool attachedNow(const CommandContext& context, std::string_view kind) {
    if (!context.attached) return kindAttached(context.backend, kind);
    const DeviceKindInfo* choice = findKindByName(kind);
    FoundDevice found;
    return choice && context.attached->find(*choice, found);
}

/// Prints a change's JSON result (held back until the device took the profile) with whether the profile
/// was written to the device.
void printHeld(const CommandContext& context, const std::string& held, bool written) {
    Json::Value result = ParseJsonText(held);
    if (result.isObject() && result.isMember("changed")) result["deviceWritten"] = written;
    printJson(context.out, result);
}

}  // namespace

int runProfileCommand(const CommandContext& context, const CommandArgs& args) {
    const bool reachesDevice =
        args.size() >= 2 && findKindByName(args[0]) &&
        std::find(kDeviceVerbs.begin(), kDeviceVerbs.end(), args[1]) != kDeviceVerbs.end() &&
        attachedNow(context, args[0]);
    if (args.size() == 3 && args[1] == "export" && args[2] == kStandardStream) {
        // Standard output carries the profile itself, without the line that says where it went.
        std::ostringstream said;
        int code = kExitOk;
        const bool written = exportToFile(args[2], context.out, [&](const std::filesystem::path& target) {
            code = RunProfileCommand({args[0], args[1], target.string()}, said, context.err);
            return code == kExitOk;
        });
        if (code == kExitOk && !written) {
            context.err << "halvernctl: the profile could not be written to standard output\n";
            code = kExitDeviceError;
        }
        return code;
    }
    if (!reachesDevice) {
        if (!context.json) return RunProfileCommand(args, context.out, context.err);
        std::ostringstream held;
        const int code = RunProfileCommand(args, held, context.err, true);
        if (code == kExitOk) printHeld(context, held.str(), false);
        return code;
    }

    // Opened on the profile it has now, as the window's page is, before the files change: opening reads
    // the device's state into the selected profile, which must still be the one the device holds.
    const std::string& kind = args[0];
    OpenedDevice opened = openKind(context, kind);
    if (!opened.device) return kExitDeviceError;
    const std::string before = SelectedProfileId(kind);
    std::ostringstream held;
    const int code = RunProfileCommand(args, context.json ? held : context.out, context.err, context.json);
    if (code != kExitOk) return code;

    const std::string after = SelectedProfileId(kind);
    CMerivexUSBDevice& device = *opened.device;
    const DeviceResult written =
        device.Await([&](CMerivexUSBDevice::Done done) { device.SwitchProfile(after, std::move(done)); });
    if (!written) {
        // The device keeps the profile it had, and so does the list, as in the window.
        if (after != before && !SelectProfileId(kind, before))
            context.err << "halvernctl: the profile list could not be set back\n";
        return reportRefusal(context, kindDisplayText(kind), "profile", written);
    }
    if (context.json) {
        printHeld(context, held.str(), true);
        return kExitOk;
    }
    context.out << "profile written to the " << kindDisplayText(kind) << '\n';
    return kExitOk;
}

}  // namespace halvern::cli
