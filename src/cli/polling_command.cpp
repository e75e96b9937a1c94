// `polling`: the polling-rate index of the mouse or the keyboard.

#include <array>

#include "cli/cli_support.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"

namespace halvern::cli {
namespace {

constexpr long kLastMouseIndex = 4;
constexpr long kLastKeyboardIndex = 3;

/// The words of a polling command line: the index and the options; nothing after a usage line.
std::optional<std::pair<SettingsWords, uint16_t>> pollingWords(const CommandContext& context,
                                                               const CommandArgs& args,
                                                               std::span<const std::string_view> known,
                                                               long lastIndex, std::string_view usage) {
    std::string problem;
    auto words = splitSettingsWords(args, known, 1, problem);
    const auto index =
        words ? integerWord(words->words.positional[0], "INDEX", 0, lastIndex, problem) : std::nullopt;
    if (!index) {
        (void)usageError(context, "polling", problem, usage);
        return std::nullopt;
    }
    return std::pair{std::move(*words), static_cast<uint16_t>(*index)};
}

int mousePolling(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 1> kKnown{"--screen"};
    const auto words =
        pollingWords(context, args, kKnown, kLastMouseIndex, "halvernctl polling INDEX [--screen WxH]");
    if (!words) return kExitUsage;
    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    return changeMouseSettings(
        context, *session->device, [&](MouseSettings& s) { s.system.reportRate = words->second; },
        words->first.screen);
}

int keyboardPolling(const CommandContext& context, const CommandArgs& args) {
    const auto words =
        pollingWords(context, args, {}, kLastKeyboardIndex, "halvernctl polling --device keyboard INDEX");
    if (!words) return kExitUsage;
    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    return changeKeyboardSettings(context, *session->device,
                                  [&](KeyboardSettings& s) { s.system.pollingRate = words->second; });
}

}  // namespace

int runPollingCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "polling", mousePolling, keyboardPolling);
}

}  // namespace halvern::cli
