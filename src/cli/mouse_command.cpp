#include "cli/mouse_command.h"

#include <algorithm>
#include <array>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/mouse_session.h"
#include "cli/numbering.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kDpiUsage =
    "halvernctl dpi STAGE (--slider P | --dpi D) [--y-slider P | --y-dpi D] [--enable 0|1] [--color RRGGBB] "
    "[--screen WxH]";
constexpr std::string_view kDpiActiveUsage = "halvernctl dpi-active STAGE [--screen WxH]";
constexpr size_t kStages = CMerivexMouseDevice::kStageCount;

/// One axis of a stage as typed: a slider position or a DPI number.
struct AxisValue {
    bool typedDpi = false;
    long value = 0;
};

std::optional<AxisValue> axisOption(const OptionWords& words, std::string_view sliderName,
                                    std::string_view dpiName, std::string& problem) {
    const auto slider = integerOption(words, sliderName, 0, 0xFFFF, problem);
    const auto dpi = integerOption(words, dpiName, 0, DpiScale::kMaxTypedDpi, problem);
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
        // Below the lowest counts as the lowest, as on the page; above the highest is refused, as a slider
        // position above the highest is.
        if (axis.value > scale.highestDpi()) {
            problem = std::to_string(axis.value) + " DPI is above this mouse's range, " +
                      std::to_string(scale.lowestDpi()) + " to " + std::to_string(scale.highestDpi()) +
                      " DPI";
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

/// The DPI typed for an axis when the mouse's step (or its lowest) gives another; nothing for a slider
/// position or a DPI taken as typed.
std::optional<int> roundedFrom(const AxisValue& typed, uint16_t position, const DpiScale& scale) {
    if (!typed.typedDpi || scale.dpi(position) == typed.value) return std::nullopt;
    return typed.value;
}

/// What became of a DPI number the mouse cannot take as it is: "; asked 1234 DPI, the mouse's step gives
/// 1200 DPI" (`axis` names the Y axis); empty for a slider position or a DPI taken as typed.
std::string roundedNote(const AxisValue& typed, uint16_t position, const DpiScale& scale,
                        std::string_view axis) {
    if (!roundedFrom(typed, position, scale)) return {};
    const int given = scale.dpi(position);
    const std::string asked = "asked " + std::to_string(typed.value) + " DPI" + std::string(axis);
    if (typed.value < scale.lowestDpi())
        return "; " + asked + ", the mouse's lowest is " + std::to_string(given) + " DPI";
    return "; " + asked + ", the mouse's step gives " + std::to_string(given) + " DPI";
}

/// Why stage `index` cannot be switched off, in a sentence; nothing when it can.
std::optional<std::string> disableProblem(const MouseSettings& s, size_t index) {
    switch (stageOffBar(s, index)) {
        case StageOffBar::ActiveStage:
            return "stage " + ordinalText(index) + " is the active stage and cannot be switched off";
        case StageOffBar::LastStage:
            return std::string("the last enabled stage cannot be switched off");
        case StageOffBar::None:
            break;
    }
    return std::nullopt;
}

}  // namespace

int runDpiCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 7> kKnown{"--slider", "--dpi",   "--y-slider", "--y-dpi",
                                                            "--enable", "--color", "--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 1, problem);
    const auto stage =
        words ? parseOrdinal(words->words.positional[0], "STAGE", kStages, problem) : std::nullopt;
    std::optional<AxisValue> x, y;
    std::optional<long> enable;
    std::optional<std::array<uint8_t, 3>> colour;
    if (problem.empty()) {
        x = axisOption(words->words, "--slider", "--dpi", problem);
        if (problem.empty() && !x) problem = "--slider or --dpi is needed";
    }
    if (problem.empty()) y = axisOption(words->words, "--y-slider", "--y-dpi", problem);
    if (problem.empty()) enable = integerOption(words->words, "--enable", 0, 1, problem);
    if (problem.empty()) colour = colourOption(words->words, "--color", problem);
    if (!problem.empty()) return usageError(context, "dpi", problem, kDpiUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    const size_t index = *stage;
    bool deviceProblem = false;
    const auto xPosition = axisPosition(*session, *x, problem, deviceProblem);
    const auto yPosition = xPosition && y ? axisPosition(*session, *y, problem, deviceProblem) : xPosition;
    // Not possible now, with the stages as they are: a refusal, not a usage mistake.
    if (problem.empty() && enable == 0) {
        if (const auto refused = disableProblem(session->device->settings(), index))
            return refusal(context, *refused);
    }
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
    const DpiScale scale = session->device->dpiScale();
    if (context.json) {
        Json::Value result = changeResult("mouse", "dpiStage", "set");
        result["stage"] = stageJson(s.stages.at(index), index, scale);
        result["activeStage"] = s.activeStage + 1;
        if (const auto asked = roundedFrom(*x, *xPosition, scale)) result["askedDpiX"] = *asked;
        if (const auto asked = y ? roundedFrom(*y, *yPosition, scale) : std::nullopt)
            result["askedDpiY"] = *asked;
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << stageLine(s.stages.at(index), index, s.activeStage, scale) << ", written to the mouse"
                << roundedNote(*x, *xPosition, scale, "")
                << (y ? roundedNote(*y, *yPosition, scale, " for Y") : "") << '\n';
    return kExitOk;
}

int runDpiActiveCommand(const CommandContext& context, const CommandArgs& args) {
    static constexpr std::array<std::string_view, 1> kKnown{"--screen"};
    std::string problem;
    const auto words = splitSettingsWords(args, kKnown, 1, problem);
    const auto stage =
        words ? parseOrdinal(words->words.positional[0], "STAGE", kStages, problem) : std::nullopt;
    if (!problem.empty()) return usageError(context, "dpi-active", problem, kDpiActiveUsage);

    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    const size_t index = *stage;
    if (!stageSelectable(session->device->settings(), index)) {
        return refusal(context, "stage " + ordinalText(index) + " is switched off");
    }
    const int code = changeMouseSettings(
        context, *session->device, [&](MouseSettings& s) { s.activeStage = static_cast<int>(index); },
        words->screen);
    if (code != kExitOk) return code;
    const DpiStage& active = session->device->settings().stages.at(index);
    if (context.json) {
        Json::Value result = changeResult("mouse", "activeStage", "set");
        result["activeStage"] = static_cast<int>(index) + 1;
        result["dpi"] = session->device->dpiScale().dpi(active.dpiX);
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << "active stage: " << ordinalText(index) << " ("
                << session->device->dpiScale().dpi(active.dpiX) << " DPI), written to the mouse\n";
    return kExitOk;
}

}  // namespace halvern::cli
