#include "cli/light_options.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "cli/cli_support.h"
#include "cli/command_checks.h"

namespace halvern::cli {
namespace {

constexpr long kLastLevel = 4;
constexpr long kLastZzcc = 3;
constexpr long kLastGroup = 4;
constexpr long kLastMode = 255;
/// What the text ids of light modes start with ("light_mode_spectrum").
constexpr std::string_view kModePrefix = "light_mode_";
/// What follows the name of a saved effect, which the user named and may have named as a mode of its own.
constexpr std::string_view kSavedMark = " (saved effect)";

/// Names the window once showed for modes since renamed; scripts written with them keep working.
struct FormerModeName {
    std::string_view id;
    std::string_view name;
};
constexpr std::array<FormerModeName, 2> kFormerModeNames{{
    {"light_mode_four_color_breathing", "Four-colour breathing"},
    {"light_mode_four_color_blink", "Four-colour blink"},
}};

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
    l.mode = modeNumber;
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
    const std::string* mode = words.find("--mode");
    if (!mode) problem = "--mode is needed";
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

std::vector<NamedChoice> lightModeChoices(const LightModeLists& lists, const LightModeRange& range,
                                          const EnglishTexts& texts) {
    std::vector<NamedChoice> choices;
    const size_t own = std::min(lists.names.size(), range.lastOwn + 1);
    for (size_t m = 0; m < own; ++m) {
        if (!ownModeShown(lists, m)) continue;
        const std::string& id = lists.names[m];
        NamedChoice choice{texts.shown(id, kModePrefix), {}, {}, static_cast<long>(m)};
        if (const std::string_view text = texts.text(id); !text.empty()) choice.names.emplace_back(text);
        if (const std::string_view tail = idTail(id, kModePrefix); !tail.empty())
            choice.aliases.emplace_back(tail);
        for (const FormerModeName& former : kFormerModeNames) {
            if (former.id == id) choice.aliases.emplace_back(former.name);
        }
        choices.push_back(std::move(choice));
    }
    if (!range.savedEffects) return choices;
    for (size_t i = 0; i < lists.lightNames.size() && range.lastOwn + 1 + i <= static_cast<size_t>(kLastMode);
         ++i) {
        const std::string& name = lists.lightNames[i];
        choices.push_back(
            {name + std::string(kSavedMark), {name}, {}, static_cast<long>(range.lastOwn + 1 + i)});
    }
    return choices;
}

std::optional<uint8_t> resolveLightMode(const LightModeLists& lists, std::string_view word,
                                        const LightModeRange& range, const EnglishTexts& texts,
                                        std::string& problem) {
    if (const auto number = parseInteger(word, 0, kLastMode)) {
        if (const auto why = lightModeProblem(lists, static_cast<size_t>(*number), range)) {
            problem = *why;
            return std::nullopt;
        }
        return static_cast<uint8_t>(*number);
    }
    const std::vector<NamedChoice> choices = lightModeChoices(lists, range, texts);
    const NameMatch match = matchName(choices, word);
    if (!match.value) {
        problem = nameProblem(match, word, std::string(range.device) + " light mode", choices);
        return std::nullopt;
    }
    return static_cast<uint8_t>(*match.value);
}

std::string lightModeName(const LightModeLists& lists, size_t mode, const LightModeRange& range,
                          const EnglishTexts& texts) {
    if (mode <= range.lastOwn && mode < lists.names.size())
        return texts.shown(lists.names[mode], kModePrefix);
    if (mode > range.lastOwn && range.savedEffects && mode - range.lastOwn - 1 < lists.lightNames.size()) {
        return lists.lightNames[mode - range.lastOwn - 1] + std::string(kSavedMark);
    }
    return "mode " + std::to_string(mode);
}

std::string lightLine(const LightSetting& l, std::string_view modeName, bool keyboard) {
    std::string line = "light: " + std::string(modeName) + ", brightness " + std::to_string(l.brightness) +
                       ", speed " + std::to_string(l.speed) + ", direction " + std::to_string(l.direction) +
                       ", multicolor " + std::to_string(l.multiColor) + ", colour " +
                       hexTriple(l.red, l.green, l.blue);
    if (keyboard) {
        line += ", zzcc " + std::to_string(l.audioLightMode) + ", group " + std::to_string(l.customGroup);
    }
    return line;
}

}  // namespace halvern::cli
