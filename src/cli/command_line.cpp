#include "cli/command_line.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "cli/backend_factory.h"
#include "cli/cli_support.h"
#include "cli/command_context.h"
#include "cli/command_table.h"
#include "cli/doctor_command.h"
#include "cli/effect_command.h"
#include "cli/info_command.h"
#include "cli/json_output.h"
#include "cli/keyboard_command.h"
#include "cli/language_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/option_words.h"
#include "cli/profile_command.h"
#include "cli/recoil_command.h"
#include "cli/run_locks.h"
#include "cli/show_command.h"
#include "cli/update_command.h"

namespace halvern::cli {
namespace {

using Handler = int (*)(const CommandContext&, const CommandArgs&);

/// The code that carries out a command of the command table.
struct CommandEntry {
    std::string_view name;
    Handler handler;
};

int effectCommand(const CommandContext& context, const CommandArgs& args) {
    return runEffectCommand(args, context.json, context.out, context.err);
}

constexpr CommandEntry kCommands[] = {
    {"list", runListCommand},
    {"doctor", runDoctorCommand},
    {"info", runInfoCommand},
    {"profile", runProfileCommand},
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
    {"effect", effectCommand},
};

const CommandEntry* findCommand(std::string_view name) {
    for (const auto& c : kCommands) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

/// The command's words as its parser takes them: a command without options has no use for "--".
CommandArgs commandWords(const CommandRow& row, CommandArgs args) {
    return row.options.empty() ? withoutEndOfOptions(std::move(args)) : args;
}

/// The first option before "--" that the command does not take, by its name; every command refuses it
/// with the same line.
std::optional<std::string> unknownOption(const CommandRow& row, const CommandArgs& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--") break;
        if (!word.starts_with("--")) continue;
        const std::string name = word.substr(0, word.find('='));
        const OptionRow* option = findOptionRow(row, name);
        if (!option) return name;
        if (!option->value.empty() && name.size() == word.size()) ++i;  // its value, whatever it looks like
    }
    return std::nullopt;
}

int unknownCommand(std::ostream& err, std::string_view name) {
    err << "halvernctl: unknown command '" << name << "'; " << helpHint("") << '\n';
    return kExitUsage;
}

}  // namespace

std::vector<std::string_view> runnableCommands() {
    std::vector<std::string_view> names;
    for (const auto& c : kCommands) names.push_back(c.name);
    return names;
}

bool runsInApplication(const GlobalOptions& options) {
    if (!options.emulate.empty() || !options.emulatorState.empty() || !options.capture.empty()) return false;
    if (options.help || options.version) return false;
    const CommandRow* row = findCommandRow(options.command);
    if (!row || !row->needsDevices || !findCommand(options.command)) return false;
    const bool recording = options.command == "macro" && !options.args.empty() && options.args[0] == "record";
    return !recording;
}

int runCommandLine(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                   const CommandHost& host) {
    const auto options = parseGlobalOptions(words, err);
    if (!options) return kExitUsage;  // the line is written
    if (options->version) {
        if (!options->json) {
            out << "halvernctl " << HALVERN_VERSION << '\n';
            return kExitOk;
        }
        Json::Value version(Json::objectValue);
        version["program"] = "halvernctl";
        version["version"] = HALVERN_VERSION;
        printJson(out, version);
        return kExitOk;
    }
    const CommandRow* row = findCommandRow(options->command);
    if (options->help) {
        if (options->command.empty()) {
            out << generalUsage();
            return kExitOk;
        }
        if (!row) return unknownCommand(err, options->command);
        out << commandHelp(*row);
        return kExitOk;
    }
    if (options->command.empty()) {
        err << "halvernctl: a command is needed; " << helpHint("") << '\n';
        return kExitUsage;
    }
    const CommandEntry* entry = findCommand(options->command);
    if (!entry || !row) return unknownCommand(err, options->command);
    if (const auto option = unknownOption(*row, options->args)) {
        err << "halvernctl: " << row->name << ": unknown option " << *option << "; " << helpHint(row->name)
            << '\n';
        return kExitUsage;
    }
    const CommandArgs args = commandWords(*row, options->args);
    if (host.backend) {
        const CommandContext context{*host.backend, options->json, out, err, host.attached};
        return entry->handler(context, args);
    }
    // Made before the backend, so the devices stay locked until the emulator has saved their state.
    RunLocks locks;
    std::unique_ptr<HidBackend> backend = makeBackend(*options, err);
    if (!backend) return kExitDeviceError;  // the emulator's folder or capture file: the line is written
    const CommandContext context{*backend, options->json, out, err, nullptr, &locks};
    return entry->handler(context, args);
}

}  // namespace halvern::cli
