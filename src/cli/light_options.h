#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/names.h"
#include "cli/option_words.h"
#include "profile/light_mode_lists.h"
#include "profile/profile_records.h"

namespace halvern::cli {

/// The light settings a `light` command line gives; options not given keep their values.
struct LightOptions {
    std::string mode;        ///< --mode as typed: a number or a name, looked up in the device's mode list
    uint8_t modeNumber = 0;  ///< the mode it chose (resolveLightMode)
    std::optional<uint8_t> brightness, speed, direction, multicolor;
    std::optional<std::array<uint8_t, 3>> colour;
    std::optional<uint8_t> zzcc;   ///< the keyboard's LED sub-mode ("ZZCCLedMode")
    std::optional<uint8_t> group;  ///< the keyboard's custom colour group

    void applyTo(LightSetting& light) const;
};

/// Reads --mode (needed), --brightness, --speed, --direction, --multicolor, --color, --zzcc and --group
/// from words already checked against the command's known options. Nothing, with the reason in `problem`,
/// when a value is out of range.
[[nodiscard]] std::optional<LightOptions> readLightOptions(const OptionWords& words, std::string& problem);

/// How a device numbers its light modes: its own modes 0..lastOwn as its mode list offers them, then
/// (when it keeps them) the user's saved effects.
struct LightModeRange {
    std::string_view device;
    size_t lastOwn = 0;
    bool savedEffects = false;
};

/// Why `mode` cannot be chosen on the device, or nothing when its mode list offers it. A list not loaded
/// (no default data) offers every own mode.
[[nodiscard]] std::optional<std::string> lightModeProblem(const LightModeLists& lists, size_t mode,
                                                          const LightModeRange& range);

/// The modes the device's list offers, by name: its own shown modes (their English text; the tail of their
/// text id too, "spectrum" for "light_mode_spectrum"), then the user's saved effects by their names.
[[nodiscard]] std::vector<NamedChoice> lightModeChoices(const LightModeLists& lists,
                                                        const LightModeRange& range,
                                                        const EnglishTexts& texts);

/// The mode `word` chooses: a number the device's list offers, or the name of one (see matchName). Nothing,
/// with the reason in `problem`, otherwise; an unknown or ambiguous name lists the valid ones.
[[nodiscard]] std::optional<uint8_t> resolveLightMode(const LightModeLists& lists, std::string_view word,
                                                      const LightModeRange& range, const EnglishTexts& texts,
                                                      std::string& problem);

/// The name of a mode as the device's page shows it: its English text, or a saved effect's name; "mode N"
/// when the list has none.
[[nodiscard]] std::string lightModeName(const LightModeLists& lists, size_t mode, const LightModeRange& range,
                                        const EnglishTexts& texts);

/// One line of light settings: "light: MODE, brightness B, speed S, direction D, multicolor M, colour
/// RRGGBB", with ", zzcc Z, group G" for a keyboard.
[[nodiscard]] std::string lightLine(const LightSetting& light, std::string_view modeName, bool keyboard);

}  // namespace halvern::cli
