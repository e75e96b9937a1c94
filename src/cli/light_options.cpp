#include "cli/light_options.h"

#include <tuple>

#include "cli/command_checks.h"

namespace halvern::cli {
namespace {

constexpr long kLastLevel = 4;
constexpr long kLastZzcc = 3;
constexpr long kLastGroup = 4;

std::optional<uint8_t> byteOption(const OptionWords& words, std::string_view name, long max,
                                  std::string& problem) {
    if (!problem.empty()) return std::nullopt;
    const auto value = integerOption(words, name, 0, max, problem);
    return value ? std::optional<uint8_t>(static_cast<uint8_t>(*value)) : std::nullopt;
}

bool ownModeShown(const LightModeLists& lists, size_t mode) {
    return mode >= lists.visible.size() || lists.visible[mode];
}

}  // namespace

void LightOptions::applyTo(LightSetting& l) const {
    l.mode = mode;
    if (brightness) l.brightness = *brightness;
    if (speed) l.speed = *speed;
    if (direction) l.direction = *direction;
    if (multicolor) l.multiColor = *multicolor;
    if (colour) std::tie(l.red, l.green, l.blue) = std::tie((*colour)[0], (*colour)[1], (*colour)[2]);
    if (zzcc) l.audioLightMode = *zzcc;
    if (group) l.customGroup = *group;
}

std::optional<LightOptions> readLightOptions(const OptionWords& words, std::string& problem) {
    LightOptions options;
    const auto mode = byteOption(words, "--mode", 255, problem);
    if (problem.empty() && !mode) problem = "--mode is needed";
    options.brightness = byteOption(words, "--brightness", kLastLevel, problem);
    options.speed = byteOption(words, "--speed", kLastLevel, problem);
    options.direction = byteOption(words, "--direction", 1, problem);
    options.multicolor = byteOption(words, "--multicolor", 1, problem);
    if (problem.empty()) options.colour = colourOption(words, "--color", problem);
    options.zzcc = byteOption(words, "--zzcc", kLastZzcc, problem);
    options.group = byteOption(words, "--group", kLastGroup, problem);
    if (!problem.empty()) return std::nullopt;
    options.mode = *mode;
    return options;
}

std::optional<std::string> lightModeProblem(const LightModeLists& lists, size_t mode,
                                            const LightModeRange& range) {
    const size_t firstSaved = range.lastOwn + 1;
    const bool offered = mode <= range.lastOwn
                             ? ownModeShown(lists, mode)
                             : range.savedEffects && mode - firstSaved < lists.lightNames.size();
    if (offered) return std::nullopt;
    std::string hidden;
    for (size_t m = 0; m <= range.lastOwn; ++m) {
        if (!ownModeShown(lists, m)) hidden += (hidden.empty() ? " (less " : ", ") + std::to_string(m);
    }
    std::string text = "mode " + std::to_string(mode) + " is not offered: 0-" +
                       std::to_string(range.lastOwn) + " are the " + std::string(range.device) + "'s own" +
                       (hidden.empty() ? "" : hidden + ")");
    if (!range.savedEffects) return text;
    const size_t saved = lists.lightNames.size();
    return text + ", " +
           (saved == 0 ? std::string("no effect is saved")
                       : std::to_string(firstSaved) + "-" + std::to_string(firstSaved + saved - 1) +
                             " the saved effects");
}

std::string lightModeName(const LightModeLists& lists, size_t mode, const LightModeRange& range) {
    if (mode <= range.lastOwn) return mode < lists.names.size() ? lists.names[mode] : std::string();
    const size_t saved = mode - range.lastOwn - 1;
    return range.savedEffects && saved < lists.lightNames.size() ? lists.lightNames[saved] : std::string();
}

}  // namespace halvern::cli
