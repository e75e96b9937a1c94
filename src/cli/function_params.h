#pragma once

// The functions of the key editor that take numbers besides their name (fire key, swing, wheel, macro),
// named with their numbers so that the name a show prints gives the same code when typed:
// "Fire key, interval 120, count 2", "Swing left, count 3, delay 0, speed 2", "macro Jump, times 5".

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/names.h"
#include "devices/key_table.h"
#include "profile/profile_records.h"

namespace halvern::cli {

/// A macro named on a `key` line, found in the device's list once the device is open.
struct MacroWord {
    std::string name;
    uint8_t type = 0;    ///< assign_type::kMacroMode or kMacroCount
    uint8_t repeat = 0;  ///< the repeat mode 0-3, or the number of times 1-255
};

/// What a function word with numbers names; `problem` says why a word that names such a function is wrong.
struct ParameterWord {
    std::optional<key_table::Code> code;
    std::optional<MacroWord> macro;
    std::string problem;
};

/// Reads "Fire key[, interval N][, count N]", "Swing left|right|up|down[, count N][, delay N][, speed N]"
/// and "macro NAME[, repeat mode 1-4 | , times N]" in any letter case. Numbers left out take the values
/// of the mouse's own fire key (interval 120, count 2), count 1, delay 0, speed 0 and repeat mode 1.
/// Neither code nor macro nor problem when the word names none of these functions.
[[nodiscard]] ParameterWord parseParameterWord(std::string_view word, const EnglishTexts& texts);

/// The name of a fire key, swing, wheel or macro assignment with its numbers, as parseParameterWord
/// reads it; empty for other types and for a macro beyond `macroNames`.
[[nodiscard]] std::string parameterName(const KeyAssignment& assignment,
                                        std::span<const std::string> macroNames, const EnglishTexts& texts);

}  // namespace halvern::cli
