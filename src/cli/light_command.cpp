// `light`: the light settings of the mouse, the keyboard, the mouse pad or the headset, and the list of
// their light modes.

#include <json/json.h>

#include <algorithm>
#include <array>
#include <iomanip>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/light_record_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kListOption = "--list";

constexpr std::string_view kMouseUsage =
    "halvernctl light --mode MODE [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1] "
    "[--color RRGGBB] [--screen WxH] | light --list";
constexpr std::string_view kKeyboardUsage =
    "halvernctl light --device keyboard --mode MODE [--brightness 0-4] [--speed 0-4] [--direction 0|1] "
    "[--multicolor 0|1] [--color RRGGBB] [--zzcc 0-3] [--group 0-4] | light --device keyboard --list";

constexpr std::string_view kMousePadUsage =
    "halvernctl light --device mousepad --mode MODE [--brightness 0-4] [--speed 0-4] [--multicolor 0|1] "
    "[--color RRGGBB] | light --device mousepad --list";
constexpr std::string_view kHeadsetUsage =
    "halvernctl light --device headset --mode MODE [--brightness 0-4] [--speed 0-4] [--multicolor 0|1] "
    "[--color RRGGBB] | light --device headset --list";

/// What differs between the devices' light commands.
struct LightTarget {
    std::string_view usage;
    const LightModeRange& modes;
    std::span<const std::string_view> known;
    bool keyboard;
    std::string_view kind;  ///< mouse, keyboard, mousepad, headset
};

/// `light --list`: the modes the device's list offers, the current one marked.
template <class Device>
int listModes(const CommandContext& context, const Device& device, const LightModeRange& range,
              std::string_view kind) {
    const EnglishTexts texts;
    const std::vector<NamedChoice> choices = lightModeChoices(device.lightLists(), range, texts);
    const long current = device.settings().light.mode;
    if (context.json) {
        Json::Value rows(Json::arrayValue);
        for (const NamedChoice& c : choices) {
            Json::Value row;
            row["mode"] = static_cast<Json::Int>(c.value);
            row["name"] = c.shown;
            row["current"] = c.value == current;
            rows.append(row);
        }
        Json::Value root(Json::objectValue);
        root["device"] = std::string(kind);
        root["modes"] = rows;
        printJson(context.out, root);
        return kExitOk;
    }
    context.out << "light modes of the " << range.device << ":\n";
    for (const NamedChoice& c : choices) {
        context.out << (c.value == current ? '*' : ' ') << std::setw(3) << c.value << "  " << c.shown << '\n';
    }
    return kExitOk;
}

int mouseChange(const CommandContext& context, MouseSession& session, const LightOptions& options,
                const ScreenSize& screen) {
    return changeMouseSettings(
        context, *session.device, [&](MouseSettings& s) { options.applyTo(s.light); }, screen);
}

int keyboardChange(const CommandContext& context, KeyboardSession& session, const LightOptions& options,
                   const ScreenSize&) {
    return changeKeyboardSettings(context, *session.device,
                                  [&](KeyboardSettings& s) { options.applyTo(s.light); });
}

/// The light command of one device: `--list`, or the settings given, written as the page writes them.
template <class Open, class Change>
int runLight(const CommandContext& context, const CommandArgs& args, const LightTarget& target, Open open,
             Change change) {
    const bool list = std::ranges::find(args, kListOption) != args.end();
    if (list && args.size() != 1) {
        return usageError(context, "light", "--list takes no other words", target.usage);
    }
    std::string problem;
    const auto words = list ? std::nullopt : splitSettingsWords(args, target.known, 0, problem);
    auto options = words ? readLightOptions(words->words, problem) : std::nullopt;
    if (!list && !options) return usageError(context, "light", problem, target.usage);

    auto session = open(context);
    if (!session) return kExitDeviceError;
    auto& device = *session->device;
    if (list) return listModes(context, device, target.modes, target.kind);

    const EnglishTexts texts;
    const auto mode = resolveLightMode(device.lightLists(), options->mode, target.modes, texts, problem);
    if (!mode) return usageError(context, "light", problem, target.usage);
    options->modeNumber = *mode;
    const int code = change(context, *session, *options, words->screen);
    if (code != kExitOk) return code;
    const LightSetting& light = device.settings().light;
    const std::string modeName = lightModeName(device.lightLists(), light.mode, target.modes, texts);
    if (context.json) {
        Json::Value result = changeResult(target.kind, "light", "set");
        result["light"] = lightJson(light, modeName, target.keyboard);
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << lightLine(light, modeName, target.keyboard) << ", written to the " << target.modes.device
                << '\n';
    return kExitOk;
}

constexpr std::array<std::string_view, 7> kMouseKnown{
    "--mode", "--brightness", "--speed", "--direction", "--multicolor", "--color", "--screen"};
constexpr std::array<std::string_view, 8> kKeyboardKnown{
    "--mode", "--brightness", "--speed", "--direction", "--multicolor", "--color", "--zzcc", "--group"};

int mouseLight(const CommandContext& context, const CommandArgs& args) {
    const LightTarget target{kMouseUsage, kMouseModes, kMouseKnown, false, "mouse"};
    return runLight(context, args, target, openMouse, mouseChange);
}

int keyboardLight(const CommandContext& context, const CommandArgs& args) {
    const LightTarget target{kKeyboardUsage, kKeyboardModes, kKeyboardKnown, true, "keyboard"};
    return runLight(context, args, target, openKeyboard, keyboardChange);
}

// The direction is the device's own on these two: only the device sets it.
constexpr std::array<std::string_view, 5> kLightRecordKnown{"--mode", "--brightness", "--speed",
                                                            "--multicolor", "--color"};

int lightRecordChange(const CommandContext& context, LightRecordSession& session, const LightOptions& options,
                      const ScreenSize&) {
    CMerivexLightRecordDevice& device = *session.device;
    LightSetting light = device.settings().light;
    options.applyTo(light);
    const DeviceResult result =
        device.Await([&](CMerivexUSBDevice::Done done) { device.ChangeLight(light, std::move(done)); });
    if (result) return kExitOk;
    context.err << "halvernctl: light: " << describe(result) << '\n';
    return kExitDeviceError;
}

/// The mouse pad or the headset a "--device" word names, and the other words.
struct LightOnlyChoice {
    std::string kind;
    CommandArgs rest;
};
std::optional<LightOnlyChoice> lightOnlyKind(const CommandArgs& args) {
    LightOnlyChoice choice;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--device" && i + 1 < args.size()) value = args[i + 1];
        if (args[i].starts_with("--device=")) value = args[i].substr(9);
        if (const DeviceKindInfo* kind = findKindByName(value); kind && !kind->hasKeys()) {
            choice.kind = value;
            if (args[i] == "--device") ++i;
            continue;
        }
        choice.rest.push_back(args[i]);
    }
    if (choice.kind.empty()) return std::nullopt;
    return choice;
}

}  // namespace

int runLightCommand(const CommandContext& context, const CommandArgs& args) {
    if (const auto choice = lightOnlyKind(args)) {
        const LightModeRange modes = lightRecordModes(choice->kind);
        const LightTarget target{choice->kind == "mousepad" ? kMousePadUsage : kHeadsetUsage, modes,
                                 kLightRecordKnown, false, choice->kind};
        const auto open = [&kind = choice->kind](const CommandContext& c) {
            return openLightRecordDevice(c, kind);
        };
        return runLight(context, choice->rest, target, open, lightRecordChange);
    }
    static constexpr std::array<std::string_view, 4> kKinds{"mouse", "keyboard", "mousepad", "headset"};
    return runOnKeyDevice(context, args, "light", mouseLight, keyboardLight, kKinds);
}

}  // namespace halvern::cli
