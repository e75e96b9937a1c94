// `same-mode`: every attached device takes the light effect of one of them, mapped onto its own modes.

#include <array>
#include <memory>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/light_record_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"
#include "devices/light_target.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl same-mode --from mouse|keyboard|mousepad|headset [--screen WxH]";
constexpr std::array<std::string_view, 2> kKnown{"--from", "--screen"};

/// The kinds, in the order they take the shared effect: keyboards, mice, mouse pads, headsets.
constexpr std::array<std::string_view, 4> kKinds{"keyboard", "mouse", "mousepad", "headset"};

/// The attached devices that take light settings, opened as their pages open them.
struct Devices {
    std::optional<KeyboardSession> keyboard;
    std::optional<MouseSession> mouse;
    std::optional<LightRecordSession> mousePad;
    std::optional<LightRecordSession> headset;
    std::array<std::unique_ptr<LightTarget>, kKinds.size()> targets;

    [[nodiscard]] LightTarget* target(std::string_view kind) const {
        for (size_t i = 0; i < kKinds.size(); ++i) {
            if (kKinds[i] == kind) return targets[i].get();
        }
        return nullptr;
    }
};

/// The mode's name as the command line prints it.
std::string modeNameOf(LightTarget& target, std::string_view kind, uint8_t mode) {
    const EnglishTexts texts;
    const LightModeRange range = kind == "keyboard" ? kKeyboardModes
                                 : kind == "mouse"  ? kMouseModes
                                                    : lightRecordModes(kind);
    return lightModeName(target.lightModes(), mode, range, texts);
}

/// Opens every attached kind; false, with its line on `context.err`, when one cannot be opened.
bool openAttached(const CommandContext& context, std::pair<int, int> screen, Devices& devices) {
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const std::string_view kind = kKinds[i];
        if (!kindAttached(context.backend, kind)) continue;
        std::unique_ptr<LightTarget>& target = devices.targets[i];
        if (kind == "keyboard") {
            if (!(devices.keyboard = openKeyboard(context))) return false;
            target = KeyboardLightTarget(*devices.keyboard->device);
        } else if (kind == "mouse") {
            if (!(devices.mouse = openMouse(context))) return false;
            target = MouseLightTarget(*devices.mouse->device, [screen] { return screen; });
        } else {
            std::optional<LightRecordSession>& session =
                kind == "mousepad" ? devices.mousePad : devices.headset;
            if (!(session = openLightRecordDevice(context, kind))) return false;
            target = LightRecordTarget(*session->device);
        }
    }
    return true;
}

}  // namespace

int runSameModeCommand(const CommandContext& context, const CommandArgs& args) {
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 0, problem);
    const std::string* fromWord = words ? words->words.find("--from") : nullptr;
    if (words && !fromWord) problem = "--from is needed";
    if (fromWord && !findKindByName(*fromWord)) problem = "--from takes mouse, keyboard, mousepad or headset";
    if (!problem.empty()) return usageError(context, "same-mode", problem, kUsage);
    const std::string from = *fromWord;

    Devices devices;
    if (!openAttached(context, {words->screen.width, words->screen.height}, devices)) return kExitDeviceError;

    LightTarget* source = devices.target(from);
    if (!source) {
        context.err << "halvernctl: same-mode: " << lightsUnavailable(context.backend, from) << '\n';
        return kExitDeviceError;
    }
    const LightSetting light = source->light();
    const auto shared = SharedEffectOf(source->device().typeCode(), light, source->lightModes());
    if (!shared) {
        context.err << "halvernctl: same-mode: the " << from << "'s light mode " << int{light.mode} << " ("
                    << modeNameOf(*source, from, light.mode)
                    << ") has no effect the other devices share; nothing was written\n";
        return kExitDeviceError;
    }

    Json::Value shown = changeResult(from, "light", "shared");
    shown["devices"] = Json::Value(Json::arrayValue);
    for (const std::string_view kind : kKinds) {
        LightTarget* target = devices.target(kind);
        if (!target) continue;
        const auto next = WithSharedEffect(target->device().typeCode(), target->light(), *shared);
        if (!next) continue;
        const DeviceResult result = target->device().Await(
            [&](CMerivexUSBDevice::Done done) { target->changeLight(*next, std::move(done)); });
        if (const int code = reportRefusal(context, kind, "light settings", result); code != kExitOk)
            return code;
        if (context.json) {
            Json::Value row(Json::objectValue);
            row["device"] = std::string(kind);
            row["light"] = lightJson(*next, modeNameOf(*target, kind, next->mode), kind == "keyboard");
            shown["devices"].append(row);
            continue;
        }
        context.out << kind << ": "
                    << lightLine(*next, modeNameOf(*target, kind, next->mode), kind == "keyboard")
                    << ", written to the " << kind << '\n';
    }
    if (context.json) printJson(context.out, shown);
    return kExitOk;
}

}  // namespace halvern::cli
