// `polling`: the polling rate of the mouse or the keyboard.

#include <array>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/polling_rates.h"
#include "cli/shared_commands.h"

namespace halvern::cli {
namespace {

/// The words of a polling command line: the index and the options; nothing after a usage line.
std::optional<std::pair<SettingsWords, uint16_t>> pollingWords(const CommandContext& context,
                                                               const CommandArgs& args,
                                                               std::span<const std::string_view> known,
                                                               const PollingChoices& choices,
                                                               std::string_view usage) {
    std::string problem;
    auto words = splitSettingsWords(args, known, 1, problem);
    const auto index = words ? parsePollingWord(words->words.positional[0], choices, problem) : std::nullopt;
    if (!index) {
        (void)usageError(context, "polling", problem, usage);
        return std::nullopt;
    }
    return std::pair{std::move(*words), *index};
}

/// The line a successful change prints.
void reportRate(const CommandContext& context, uint16_t index, const PollingChoices& choices) {
    if (context.json) {
        Json::Value result = changeResult(choices.device, "pollingRate", "set");
        result["pollingRate"] = pollingJson(index, choices);
        printJson(context.out, result);
        return;
    }
    context.out << "polling rate: " << pollingRateText(index, choices) << ", written to the "
                << choices.device << '\n';
}

int mousePolling(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 1> kKnown{"--screen"};
    const auto words =
        pollingWords(context, args, kKnown, kMousePolling, "halvernctl polling RATE [--screen WxH]");
    if (!words) return kExitUsage;
    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    const int code = changeMouseSettings(
        context, *session->device, [&](MouseSettings& s) { s.system.reportRate = words->second; },
        words->first.screen);
    if (code == kExitOk) reportRate(context, words->second, kMousePolling);
    return code;
}

int keyboardPolling(const CommandContext& context, const CommandArgs& args) {
    const auto words =
        pollingWords(context, args, {}, kKeyboardPolling, "halvernctl polling --device keyboard RATE");
    if (!words) return kExitUsage;
    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    const int code = changeKeyboardSettings(
        context, *session->device, [&](KeyboardSettings& s) { s.system.pollingRate = words->second; });
    if (code == kExitOk) reportRate(context, words->second, kKeyboardPolling);
    return code;
}

}  // namespace

int runPollingCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "polling", mousePolling, keyboardPolling);
}

}  // namespace halvern::cli
