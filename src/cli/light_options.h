#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/option_words.h"
#include "profile/light_mode_lists.h"
#include "profile/profile_records.h"

namespace halvern::cli {

/// The light settings a `light` command line gives; options not given keep their values.
struct LightOptions {
    uint8_t mode = 0;
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

/// The name of a mode as the device's mode list shows it (a language text id, or a saved effect's name);
/// empty when the list has none.
[[nodiscard]] std::string lightModeName(const LightModeLists& lists, size_t mode,
                                        const LightModeRange& range);

}  // namespace halvern::cli
