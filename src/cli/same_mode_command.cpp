// `same-mode`: every attached device takes the light effect of one of them, mapped onto its own modes.

#include <array>
#include <memory>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"
#include "devices/light_target.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl same-mode --from mouse|keyboard|mousepad|headset [--screen WxH]";
constexpr std::array<std::string_view, 2> kKnown{"--from", "--screen"};

/// The attached devices that take light settings, opened as their pages open them.
struct Devices {
    std::optional<KeyboardSession> keyboard;
    std::optional<MouseSession> mouse;
    std::unique_ptr<LightTarget> keyboardTarget;
    std::unique_ptr<LightTarget> mouseTarget;

    [[nodiscard]] LightTarget* target(std::string_view kind) const {
        if (kind == "keyboard") return keyboardTarget.get();
        if (kind == "mouse") return mouseTarget.get();
        return nullptr;
    }
};

/// The mode's name as the command line prints it.
std::string modeNameOf(LightTarget& target, std::string_view kind, uint8_t mode) {
    const EnglishTexts texts;
    return lightModeName(target.lightModes(), mode, kind == "keyboard" ? kKeyboardModes : kMouseModes, texts);
}

}  // namespace

int runSameModeCommand(const CommandContext& context, const CommandArgs& args) {
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 0, problem);
    const std::string* fromWord = words ? words->words.find("--from") : nullptr;
    if (words && !fromWord) problem = "--from is needed";
    if (fromWord && !findKindChoice(*fromWord)) problem = "--from takes mouse, keyboard, mousepad or headset";
    if (!problem.empty()) return usageError(context, "same-mode", problem, kUsage);
    const std::string from = *fromWord;

    Devices devices;
    const std::pair<int, int> screen{words->screen.width, words->screen.height};
    if (kindAttached(context.backend, "keyboard")) {
        devices.keyboard = openKeyboard(context);
        if (!devices.keyboard) return kExitDeviceError;
        devices.keyboardTarget = KeyboardLightTarget(*devices.keyboard->device);
    }
    if (kindAttached(context.backend, "mouse")) {
        devices.mouse = openMouse(context);
        if (!devices.mouse) return kExitDeviceError;
        devices.mouseTarget = MouseLightTarget(*devices.mouse->device, [screen] { return screen; });
    }

    LightTarget* source = devices.target(from);
    if (!source) {
        context.err << "halvernctl same-mode: " << lightsUnavailable(context.backend, from) << '\n';
        return kExitDeviceError;
    }
    const LightSetting light = source->light();
    const auto shared = SharedEffectOf(source->device().typeCode(), light);
    if (!shared) {
        context.err << "halvernctl same-mode: the " << from << "'s light mode " << int{light.mode} << " ("
                    << modeNameOf(*source, from, light.mode)
                    << ") has no effect the other devices share; nothing was written\n";
        return kExitDeviceError;
    }

    // Keyboards first, then mice (mouse pads and headsets follow once they take light settings).
    for (const std::string_view kind : {std::string_view("keyboard"), std::string_view("mouse")}) {
        LightTarget* target = devices.target(kind);
        if (!target) continue;
        const auto next = WithSharedEffect(target->device().typeCode(), target->light(), *shared);
        if (!next) continue;
        const DeviceResult result = target->device().Await(
            [&](CMerivexUSBDevice::Done done) { target->changeLight(*next, std::move(done)); });
        if (const int code = reportRefusal(context, kind, "light settings", result); code != kExitOk)
            return code;
        context.out << kind << ": "
                    << lightLine(*next, modeNameOf(*target, kind, next->mode), kind == "keyboard")
                    << ", written to the " << kind << '\n';
    }
    return kExitOk;
}

}  // namespace halvern::cli
