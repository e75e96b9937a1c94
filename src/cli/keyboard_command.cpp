#include "cli/keyboard_command.h"

#include <json/json.h>

#include <array>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/keyboard_session.h"

namespace halvern::cli {
namespace {

/// One option of a command that sets words of the keyboard's system record.
struct SystemOption {
    std::string_view name;
    std::string_view key;  ///< its key in JSON: `show keyboard`, this command's view and its result
    long max = 0;
    uint16_t KeyboardSystem::*member = nullptr;
};

constexpr std::array<SystemOption, 3> kFlagOptions{{
    {"--win-lock", "winLock", 1, &KeyboardSystem::winFlag},
    {"--w", "wFlag", 1, &KeyboardSystem::wFlag},
    {"--key6", "key6", 1, &KeyboardSystem::key6Flag},
}};
constexpr std::array<SystemOption, 2> kRepeatOptions{{
    {"--rate", "repeatRate", 31, &KeyboardSystem::repeat},
    {"--delay", "repeatDelay", 3, &KeyboardSystem::repeatDelay},
}};

/// The words as they are now: "COMMAND: win-lock 1, w 0, key6 1", or one JSON object with --json.
template <size_t N>
void printSystemWords(const CommandContext& context, const KeyboardSystem& system, std::string_view command,
                      const std::array<SystemOption, N>& table) {
    if (context.json) {
        Json::Value root;
        for (const SystemOption& o : table) root[std::string(o.key)] = system.*(o.member);
        printJson(context.out, root);
        return;
    }
    context.out << command << ":";
    for (size_t i = 0; i < N; ++i)
        context.out << (i == 0 ? " " : ", ") << table[i].name.substr(2) << ' ' << system.*(table[i].member);
    context.out << '\n';
}

/// Without options: the keyboard's words as its page shows them after opening.
template <size_t N>
int showSystemWords(const CommandContext& context, std::string_view command,
                    const std::array<SystemOption, N>& table) {
    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    if (const DeviceResult read = session->activation; !read) {
        context.err << "halvernctl: the keyboard did not report its settings (" << describeResult(read.code())
                    << ")\n";
        return kExitDeviceError;
    }
    printSystemWords(context, session->device->settings().system, command, table);
    return kExitOk;
}

/// Reads the given options (none: shows the words as they are), changes those words of the system record
/// through the page's path and says what they are now: "COMMAND: win-lock 1, w 0, key6 1, WHERE".
template <size_t N>
int changeSystemWords(const CommandContext& context, const CommandArgs& args, std::string_view command,
                      const std::array<SystemOption, N>& table, std::string_view usage,
                      std::string_view where) {
    std::array<std::string_view, N> known{};
    for (size_t i = 0; i < N; ++i) known[i] = table[i].name;
    std::string problem;
    const auto words = splitSettingsWords(args, known, 0, problem);
    std::array<std::optional<long>, N> values{};
    for (size_t i = 0; i < N && words && problem.empty(); ++i) {
        values[i] = integerOption(words->words, table[i].name, 0, table[i].max, problem);
    }
    if (!words || !problem.empty()) return usageError(context, command, problem, usage);
    if (words->words.options.empty()) return showSystemWords(context, command, table);

    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    const int code = changeKeyboardSettings(context, *session->device, [&](KeyboardSettings& s) {
        for (size_t i = 0; i < N; ++i) {
            if (values[i]) s.system.*(table[i].member) = static_cast<uint16_t>(*values[i]);
        }
    });
    if (code != kExitOk) return code;
    if (context.json) {
        Json::Value result = changeResult("keyboard", command, "set");
        for (const SystemOption& option : table)
            result[std::string(option.key)] = session->device->settings().system.*(option.member);
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << command << ":";
    for (size_t i = 0; i < N; ++i) {
        context.out << (i == 0 ? " " : ", ") << table[i].name.substr(2) << ' '
                    << session->device->settings().system.*(table[i].member);
    }
    context.out << ", " << where << '\n';
    return kExitOk;
}

}  // namespace

int runFlagsCommand(const CommandContext& context, const CommandArgs& args) {
    return changeSystemWords(context, args, "flags", kFlagOptions,
                             "halvernctl flags [--win-lock 0|1] [--w 0|1] [--key6 0|1]",
                             "written to the keyboard");
}

int runRepeatCommand(const CommandContext& context, const CommandArgs& args) {
    return changeSystemWords(context, args, "repeat", kRepeatOptions,
                             "halvernctl repeat [--rate 0-31] [--delay 0-3]", "saved in the profile");
}

}  // namespace halvern::cli
