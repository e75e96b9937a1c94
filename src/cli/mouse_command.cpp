#include "cli/mouse_command.h"

#include <algorithm>
#include <array>

#include "cli/cli_support.h"
#include "cli/mouse_session.h"
#include "input/event_image.h"
#include "input/macro_store.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kDpiUsage =
    "halvernctl dpi STAGE (--slider P | --dpi D) [--y-slider P | --y-dpi D] [--enable 0|1] [--color RRGGBB] "
    "[--screen WxH]";
constexpr std::string_view kDpiActiveUsage = "halvernctl dpi-active STAGE [--screen WxH]";
constexpr std::string_view kPollingUsage = "halvernctl polling INDEX [--screen WxH]";
constexpr std::string_view kLightUsage =
    "halvernctl light --mode M [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1] "
    "[--color RRGGBB] [--screen WxH]";
constexpr std::string_view kKeyUsage = "halvernctl key BUTTON TTAABB";

constexpr long kLastStage = static_cast<long>(CMerivexMouseDevice::kStageCount) - 1;
constexpr long kLastPollingIndex = 4;
constexpr long kLastLevel = 4;
constexpr long kLastOwnMode = 11;
constexpr long kFirstUserEffect = 12;
constexpr size_t kMacroMemoryUnit = 128;

std::string rangeProblem(std::string_view what, long min, long max, std::string_view text) {
    return std::string(what) + " takes " + std::to_string(min) + "-" + std::to_string(max) + ", not '" +
           std::string(text) + "'";
}

/// The words of a settings command: positional words and the known options, with --screen read.
struct SettingsWords {
    OptionWords words;
    ScreenSize screen;
};

std::optional<SettingsWords> splitSettingsWords(const CommandArgs& args,
                                                std::span<const std::string_view> known,
                                                size_t positionalCount, std::string& problem) {
    auto words = splitOptionWords(args, known, problem);
    if (!words) return std::nullopt;
    if (words->positional.size() != positionalCount) {
        problem = positionalCount == 0 ? "takes no words besides its options"
                                       : "expects " + std::to_string(positionalCount) + " argument(s)";
        return std::nullopt;
    }
    SettingsWords result{std::move(*words), {}};
    if (const std::string* screen = result.words.find("--screen")) {
        const auto size = parseScreenSize(*screen);
        if (!size) {
            problem = "--screen takes WxH with positive numbers, not '" + *screen + "'";
            return std::nullopt;
        }
        result.screen = *size;
    }
    return result;
}

/// An integer option within [min, max]: nothing when absent; `problem` set when present but bad.
std::optional<long> integerOption(const OptionWords& words, std::string_view name, long min, long max,
                                  std::string& problem) {
    const std::string* text = words.find(name);
    if (!text) return std::nullopt;
    const auto value = parseInteger(*text, min, max);
    if (!value) problem = rangeProblem(name, min, max, *text);
    return value;
}

std::optional<std::array<uint8_t, 3>> colourOption(const OptionWords& words, std::string& problem) {
    const std::string* text = words.find("--color");
    if (!text) return std::nullopt;
    const auto colour = parseHexTriple(*text);
    if (!colour) problem = "--color takes six hex digits RRGGBB, not '" + *text + "'";
    return colour;
}

// ---- dpi ----

/// One axis of a stage as typed: a slider position or a DPI number.
struct AxisValue {
    bool typedDpi = false;
    long value = 0;
};

std::optional<AxisValue> axisOption(const OptionWords& words, std::string_view sliderName,
                                    std::string_view dpiName, std::string& problem) {
    const auto slider = integerOption(words, sliderName, 0, 0xFFFF, problem);
    const auto dpi = integerOption(words, dpiName, 0, DpiScale::kMaxEditDpi, problem);
    if (!problem.empty()) return std::nullopt;
    if (slider && dpi) {
        problem = std::string(sliderName) + " and " + std::string(dpiName) + " exclude each other";
        return std::nullopt;
    }
    if (slider) return AxisValue{false, *slider};
    if (dpi) return AxisValue{true, *dpi};
    return std::nullopt;
}

/// The slider position of an axis on this mouse; nothing, with the reason, when the mouse cannot take it.
std::optional<uint16_t> axisPosition(const MouseSession& session, const AxisValue& axis, std::string& problem,
                                     bool& deviceProblem) {
    const DpiScale scale = session.device->dpiScale();
    if (axis.typedDpi) {
        if (!session.answered()) {
            problem = "the mouse did not report its DPI range (is it switched on?)";
            deviceProblem = true;
            return std::nullopt;
        }
        return static_cast<uint16_t>(scale.position(static_cast<int>(axis.value)));
    }
    if (session.answered() && axis.value > scale.highest) {
        problem = "the slider position " + std::to_string(axis.value) + " is above this mouse's highest, " +
                  std::to_string(scale.highest);
        return std::nullopt;
    }
    return static_cast<uint16_t>(axis.value);
}

/// Whether switching stage `index` off leaves the page's rule intact: the active stage and the last
/// enabled stage stay on.
std::optional<std::string> disableProblem(const MouseSettings& s, size_t index) {
    if (static_cast<int>(index) == s.activeStage) {
        return "stage " + std::to_string(index) + " is the active stage and cannot be switched off";
    }
    const auto enabled =
        std::count_if(s.stages.begin(), s.stages.end(), [](const DpiStage& d) { return d.active; });
    const bool isOn = index < s.stages.size() && s.stages[index].active;
    if (isOn && enabled <= 1) return std::string("the last enabled stage cannot be switched off");
    return std::nullopt;
}

// ---- key ----

/// How many events a macro image would be over the mouse's memory with `button` assigned `assignment`
/// (0 when it fits), so that a key table naming a macro is never written when its macros cannot be.
int macroOverflowWith(const CMerivexMouseDevice& device, size_t button, const KeyAssignment& assignment) {
    std::vector<KeyListEntry> keys = device.keyList();
    keys[button].current = assignment;
    std::vector<int> keyMap;
    for (const uint8_t slot : device.buttonSlots()) {
        keyMap.push_back(slot == CMerivexMouseDevice::kAbsentMarker ? key_table::kAbsent : slot);
    }
    const MacroStore store(device.UserFolder());
    const std::vector<MacroEntry> list = store.LoadMacroList();
    std::vector<size_t> counts;
    for (const uint8_t number : key_table::UsedMacros(keys, keyMap, list.size())) {
        counts.push_back(store.LoadMacro(list[number].guid).size());
    }
    const size_t limit = static_cast<size_t>(device.info()[6]) * kMacroMemoryUnit;
    return MacroOverflowCount(EventImageSize(counts), limit);
}

}  // namespace

int runDpiCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 7> kKnown{"--slider", "--dpi",   "--y-slider", "--y-dpi",
                                                            "--enable", "--color", "--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 1, problem);
    const auto stage = words ? parseInteger(words->words.positional[0], 0, kLastStage) : std::nullopt;
    if (words && !stage) problem = rangeProblem("STAGE", 0, kLastStage, words->words.positional[0]);
    std::optional<AxisValue> x, y;
    std::optional<long> enable;
    std::optional<std::array<uint8_t, 3>> colour;
    if (problem.empty()) {
        x = axisOption(words->words, "--slider", "--dpi", problem);
        if (problem.empty() && !x) problem = "--slider or --dpi is needed";
    }
    if (problem.empty()) y = axisOption(words->words, "--y-slider", "--y-dpi", problem);
    if (problem.empty()) enable = integerOption(words->words, "--enable", 0, 1, problem);
    if (problem.empty()) colour = colourOption(words->words, problem);
    if (!problem.empty()) return usageError(context, "dpi", problem, kDpiUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    const size_t index = static_cast<size_t>(*stage);
    bool deviceProblem = false;
    const auto xPosition = axisPosition(*session, *x, problem, deviceProblem);
    const auto yPosition = xPosition && y ? axisPosition(*session, *y, problem, deviceProblem) : xPosition;
    if (problem.empty() && enable == 0)
        problem = disableProblem(session->device->settings(), index).value_or("");
    if (!problem.empty()) {
        if (!deviceProblem) return usageError(context, "dpi", problem, kDpiUsage);
        context.err << "halvernctl: " << problem << '\n';
        return kExitDeviceError;
    }

    const int code = changeMouseSettings(
        context, *session->device,
        [&](MouseSettings& s) {
            if (s.stages.size() <= index) s.stages.resize(index + 1);
            DpiStage& d = s.stages[index];
            d.dpiX = *xPosition;
            d.dpiY = *yPosition;
            d.xy = y ? 1 : 0;
            if (enable) d.active = static_cast<uint8_t>(*enable);
            if (colour) std::tie(d.red, d.green, d.blue) = std::tie((*colour)[0], (*colour)[1], (*colour)[2]);
        },
        words->screen);
    if (code != kExitOk) return code;
    const MouseSettings& s = session->device->settings();
    context.out << stageLine(s.stages.at(index), index, s.activeStage, session->device->dpiScale()) << '\n';
    return kExitOk;
}

int runDpiActiveCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 1> kKnown{"--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 1, problem);
    const auto stage = words ? parseInteger(words->words.positional[0], 0, kLastStage) : std::nullopt;
    if (words && !stage) problem = rangeProblem("STAGE", 0, kLastStage, words->words.positional[0]);
    if (!problem.empty()) return usageError(context, "dpi-active", problem, kDpiActiveUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    const auto& stages = session->device->settings().stages;
    const size_t index = static_cast<size_t>(*stage);
    if (index >= stages.size() || !stages[index].active) {
        return usageError(context, "dpi-active", "stage " + std::to_string(index) + " is switched off",
                          kDpiActiveUsage);
    }
    return changeMouseSettings(
        context, *session->device, [&](MouseSettings& s) { s.activeStage = static_cast<int>(index); },
        words->screen);
}

int runPollingCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 1> kKnown{"--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 1, problem);
    const auto index = words ? parseInteger(words->words.positional[0], 0, kLastPollingIndex) : std::nullopt;
    if (words && !index) problem = rangeProblem("INDEX", 0, kLastPollingIndex, words->words.positional[0]);
    if (!problem.empty()) return usageError(context, "polling", problem, kPollingUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    return changeMouseSettings(
        context, *session->device,
        [&](MouseSettings& s) { s.system.reportRate = static_cast<uint16_t>(*index); }, words->screen);
}

int runLightCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 7> kKnown{
        "--mode", "--brightness", "--speed", "--direction", "--multicolor", "--color", "--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 0, problem);
    std::optional<long> mode, brightness, speed, direction, multicolor;
    std::optional<std::array<uint8_t, 3>> colour;
    if (problem.empty()) {
        const OptionWords& w = words->words;
        mode = integerOption(w, "--mode", 0, 255, problem);
        if (problem.empty() && !mode) problem = "--mode is needed";
        if (problem.empty()) brightness = integerOption(w, "--brightness", 0, kLastLevel, problem);
        if (problem.empty()) speed = integerOption(w, "--speed", 0, kLastLevel, problem);
        if (problem.empty()) direction = integerOption(w, "--direction", 0, 1, problem);
        if (problem.empty()) multicolor = integerOption(w, "--multicolor", 0, 1, problem);
        if (problem.empty()) colour = colourOption(w, problem);
    }
    if (!problem.empty()) return usageError(context, "light", problem, kLightUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    // The mouse's own modes as its mode list shows them, then the user's saved effects.
    const LightModeLists& lists = session->device->lightLists();
    const size_t m = static_cast<size_t>(*mode);
    const bool offered = m <= kLastOwnMode ? (m >= lists.visible.size() || lists.visible[m])
                                           : m - kFirstUserEffect < lists.lightNames.size();
    if (!offered) {
        const size_t saved = lists.lightNames.size();
        const std::string effects =
            saved == 0 ? "no effect is saved"
                       : "12-" + std::to_string(kFirstUserEffect + saved - 1) + " the saved effects";
        return usageError(
            context, "light",
            "mode " + std::to_string(m) + " is not offered: 0-11 are the mouse's own, " + effects,
            kLightUsage);
    }
    return changeMouseSettings(
        context, *session->device,
        [&](MouseSettings& s) {
            LightSetting& l = s.light;
            l.mode = static_cast<uint8_t>(*mode);
            if (brightness) l.brightness = static_cast<uint8_t>(*brightness);
            if (speed) l.speed = static_cast<uint8_t>(*speed);
            if (direction) l.direction = static_cast<uint8_t>(*direction);
            if (multicolor) l.multiColor = static_cast<uint8_t>(*multicolor);
            if (colour) std::tie(l.red, l.green, l.blue) = std::tie((*colour)[0], (*colour)[1], (*colour)[2]);
        },
        words->screen);
}

int runKeyCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr long kLastButton = static_cast<long>(CMerivexMouseDevice::kButtonCount) - 1;
    if (args.size() != 2) return usageError(context, "key", "expects a button and a code", kKeyUsage);
    const auto button = parseInteger(args[0], 0, kLastButton);
    if (!button)
        return usageError(context, "key", rangeProblem("BUTTON", 0, kLastButton, args[0]), kKeyUsage);
    const auto code = parseHexTriple(args[1]);
    if (!code) {
        return usageError(context, "key", "the code takes six hex digits TTAABB, not '" + args[1] + "'",
                          kKeyUsage);
    }

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    CMerivexMouseDevice& device = *session->device;
    const size_t j = static_cast<size_t>(*button);
    if (session->answered() && !device.buttonPresent(j)) {
        return usageError(context, "key", "button " + std::to_string(j) + " is not on this mouse", kKeyUsage);
    }
    if (j >= device.keyList().size()) {
        context.err << "halvernctl: the profile holds no assignment for button " << j << '\n';
        return kExitDeviceError;
    }
    const KeyAssignment assignment{static_cast<uint16_t>(j), (*code)[0], (*code)[1], (*code)[2]};
    if (key_table::IsMacroType(assignment.type)) {
        const size_t macros = device.macroNames().size();
        if (assignment.code1 >= macros) {
            return usageError(context, "key",
                              "there is no macro " + std::to_string(assignment.code1) + " (the list holds " +
                                  std::to_string(macros) + ")",
                              kKeyUsage);
        }
        if (session->answered()) {
            if (const int overflow = macroOverflowWith(device, j, assignment); overflow > 0) {
                return reportMacroWrite(context, overflow);
            }
        }
    }
    KeyListEntry entry = device.keyList()[j];
    entry.current = assignment;
    const int result = device.SetKeyAssignment(j, entry);
    if (result == 1) return kExitOk;
    context.err << "halvernctl: the mouse refused the key assignment (" << describeResult(result) << ")\n";
    return kExitDeviceError;
}

}  // namespace halvern::cli
