// `light`: the light settings of the mouse or the keyboard.

#include <array>

#include "cli/cli_support.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kMouseUsage =
    "halvernctl light --mode M [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1] "
    "[--color RRGGBB] [--screen WxH]";
constexpr std::string_view kKeyboardUsage =
    "halvernctl light --device keyboard --mode M [--brightness 0-4] [--speed 0-4] [--direction 0|1] "
    "[--multicolor 0|1] [--color RRGGBB] [--zzcc 0-3] [--group 0-4]";
int mouseLight(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 7> kKnown{
        "--mode", "--brightness", "--speed", "--direction", "--multicolor", "--color", "--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 0, problem);
    const auto options = words ? readLightOptions(words->words, problem) : std::nullopt;
    if (!options) return usageError(context, "light", problem, kMouseUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    if (const auto why = lightModeProblem(session->device->lightLists(), options->mode, kMouseModes)) {
        return usageError(context, "light", *why, kMouseUsage);
    }
    return changeMouseSettings(
        context, *session->device, [&](MouseSettings& s) { options->applyTo(s.light); }, words->screen);
}

int keyboardLight(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 8> kKnown{
        "--mode", "--brightness", "--speed", "--direction", "--multicolor", "--color", "--zzcc", "--group"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 0, problem);
    const auto options = words ? readLightOptions(words->words, problem) : std::nullopt;
    if (!options) return usageError(context, "light", problem, kKeyboardUsage);

    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    if (const auto why = lightModeProblem(session->device->lightLists(), options->mode, kKeyboardModes)) {
        return usageError(context, "light", *why, kKeyboardUsage);
    }
    return changeKeyboardSettings(context, *session->device,
                                  [&](KeyboardSettings& s) { options->applyTo(s.light); });
}

}  // namespace

int runLightCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "light", mouseLight, keyboardLight);
}

}  // namespace halvern::cli
