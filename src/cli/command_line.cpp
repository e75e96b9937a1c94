#include "cli/command_line.h"

#include <memory>
#include <string_view>

#include "cli/backend_factory.h"
#include "cli/cli_support.h"
#include "cli/command_context.h"
#include "cli/doctor_command.h"
#include "cli/effect_command.h"
#include "cli/info_command.h"
#include "cli/keyboard_command.h"
#include "cli/language_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/profile_command.h"
#include "cli/recoil_command.h"
#include "cli/run_locks.h"
#include "cli/show_command.h"
#include "cli/update_command.h"

namespace halvern::cli {
namespace {

using Handler = int (*)(const CommandContext&, const CommandArgs&);

struct CommandEntry {
    std::string_view name;
    Handler handler;
    bool needsDevices;  ///< false: the command works on files, the network or the system's lists only
};

int effectCommand(const CommandContext& context, const CommandArgs& args) {
    return runEffectCommand(args, context.json, context.out, context.err);
}

constexpr CommandEntry kCommands[] = {
    {"list", runListCommand, true},
    {"doctor", runDoctorCommand, true},
    {"info", runInfoCommand, true},
    {"profile", runProfileCommand, true},
    {"show", runShowCommand, true},
    {"dpi", runDpiCommand, true},
    {"dpi-active", runDpiActiveCommand, true},
    {"polling", runPollingCommand, true},
    {"light", runLightCommand, true},
    {"headset", runHeadsetCommand, true},
    {"same-mode", runSameModeCommand, true},
    {"key", runKeyCommand, true},
    {"flags", runFlagsCommand, true},
    {"repeat", runRepeatCommand, true},
    {"custom-color", runCustomColorCommand, true},
    {"macro", runMacroCommand, true},
    {"write-macros", runWriteMacrosCommand, true},
    {"update-check", runUpdateCheckCommand, false},
    {"language", runLanguageCommand, false},
    {"recoil", runRecoilCommand, true},
    {"effect", effectCommand, false},
};

const CommandEntry* findCommand(std::string_view name) {
    for (const auto& c : kCommands) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

}  // namespace

bool runsInApplication(const GlobalOptions& options) {
    if (!options.emulate.empty() || !options.emulatorState.empty() || !options.capture.empty()) return false;
    if (options.help || options.version) return false;
    const CommandEntry* entry = findCommand(options.command);
    if (!entry || !entry->needsDevices) return false;
    const bool recording = options.command == "macro" && !options.args.empty() && options.args[0] == "record";
    return !recording;
}

int runCommandLine(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                   const CommandHost& host) {
    const auto options = parseGlobalOptions(words, err);
    if (!options) {
        err << usageText();
        return kExitUsage;
    }
    if (options->version) {
        out << "halvernctl " << HALVERN_VERSION << '\n';
        return kExitOk;
    }
    if (options->help || options->command.empty()) {
        (options->help ? out : err) << usageText();
        return options->help ? kExitOk : kExitUsage;
    }
    const CommandEntry* entry = findCommand(options->command);
    if (!entry) {
        err << "halvernctl: unknown command " << options->command << '\n' << usageText();
        return kExitUsage;
    }
    if (host.backend) {
        const CommandContext context{*host.backend, options->json, out, err, host.attached};
        return entry->handler(context, options->args);
    }
    // Made before the backend, so the devices stay locked until the emulator has saved their state.
    RunLocks locks;
    std::unique_ptr<HidBackend> backend = makeBackend(*options, err);
    if (!backend) return kExitUsage;
    const CommandContext context{*backend, options->json, out, err, nullptr, &locks};
    return entry->handler(context, options->args);
}

}  // namespace halvern::cli
