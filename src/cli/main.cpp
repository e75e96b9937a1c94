// halvernctl: the command-line front end over the same core as the application.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/backend_factory.h"
#include "cli/cli_support.h"
#include "cli/command_context.h"
#include "cli/doctor_command.h"
#include "cli/global_options.h"
#include "cli/info_command.h"
#include "cli/keyboard_command.h"
#include "cli/language_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/recoil_command.h"
#include "cli/run_locks.h"
#include "cli/show_command.h"
#include "cli/update_command.h"
#include "profile/profile_cli.h"

#if __has_include("cli/effect_command.h")
#include "cli/effect_command.h"
#define HALVERN_HAVE_EFFECT_COMMAND 1
#endif

namespace {

using namespace halvern;
using namespace halvern::cli;

using Handler = int (*)(const CommandContext&, const CommandArgs&);

struct CommandEntry {
    std::string_view name;
    Handler handler;
};

#ifdef HALVERN_HAVE_EFFECT_COMMAND
int effectCommand(const CommandContext& context, const CommandArgs& args) {
    return runEffectCommand(args, context.json, context.out, context.err);
}
#endif

int profileCommand(const CommandContext& context, const CommandArgs& args) {
    return RunProfileCommand(args, context.out, context.err);
}

constexpr CommandEntry kCommands[] = {
    {"list", runListCommand},
    {"doctor", runDoctorCommand},
    {"info", runInfoCommand},
    {"profile", profileCommand},
    {"show", runShowCommand},
    {"dpi", runDpiCommand},
    {"dpi-active", runDpiActiveCommand},
    {"polling", runPollingCommand},
    {"light", runLightCommand},
    {"headset", runHeadsetCommand},
    {"same-mode", runSameModeCommand},
    {"key", runKeyCommand},
    {"flags", runFlagsCommand},
    {"repeat", runRepeatCommand},
    {"custom-color", runCustomColorCommand},
    {"macro", runMacroCommand},
    {"write-macros", runWriteMacrosCommand},
    {"update-check", runUpdateCheckCommand},
    {"language", runLanguageCommand},
    {"recoil", runRecoilCommand},
#ifdef HALVERN_HAVE_EFFECT_COMMAND
    {"effect", effectCommand},
#endif
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const auto options = parseGlobalOptions(words, std::cerr);
    if (!options) {
        std::cerr << usageText();
        return kExitUsage;
    }
    if (options->version) {
        std::cout << "halvernctl " << HALVERN_VERSION << '\n';
        return kExitOk;
    }
    if (options->help || options->command.empty()) {
        (options->help ? std::cout : std::cerr) << usageText();
        return options->help ? kExitOk : kExitUsage;
    }
    const CommandEntry* entry = nullptr;
    for (const auto& c : kCommands) {
        if (c.name == options->command) entry = &c;
    }
    if (!entry) {
        std::cerr << "halvernctl: unknown command " << options->command << '\n' << usageText();
        return kExitUsage;
    }

    // Made before the backend, so the devices stay locked until the emulator has saved their state.
    RunLocks locks;
    std::unique_ptr<HidBackend> backend = makeBackend(*options, std::cerr);
    if (!backend) return kExitUsage;
    const CommandContext context{*backend, options->json, std::cout, std::cerr, &locks};
    return entry->handler(context, options->args);
}
