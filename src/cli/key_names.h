#pragma once

// Names of the mouse's buttons, the keyboard's keys and the functions they can be given, as the key editor
// shows them in English.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/function_params.h"
#include "cli/names.h"
#include "devices/key_table.h"
#include "profile/profile_records.h"

namespace halvern::cli {

/// A function a `key` command line names: the item's own function, a code, or a macro by its name.
struct FunctionWord {
    bool useDefault = false;
    key_table::Code code{};
    std::optional<MacroWord> macro;  ///< set for "macro NAME ..."; the code is then the device's to find
};

/// The value of the "Default" choice of functionChoices; every other value is a code 0xTTAABB.
inline constexpr long kDefaultFunction = -1;

/// Everything a key or button can be given by a name alone: the keys of the key editor's table ("G", "F5",
/// "Page Up", "Left Ctrl", and the ids' tails "LCtrl", "Caplk"), the mouse buttons ("Left button", "left"),
/// the DPI, media and system functions, the shortcuts ("Ctrl+C"), the recoil patterns, the functions only
/// a device's own table holds ("DPI shift", "Disabled", "Cut") and "Default" (the item's own function).
[[nodiscard]] std::vector<NamedChoice> functionChoices(const EnglishTexts& texts);

/// The function `word` names: six hex digits TTAABB, a name of `functions`, a function with its numbers
/// ("Fire key, interval 120, count 2", "macro Jump, times 5"; see parseParameterWord), or modifiers and a
/// key ("Ctrl+G", "shift+f5", "Ctrl+Shift+C", "Left Ctrl+Left Alt"). Nothing, with the reason in
/// `problem`, otherwise.
[[nodiscard]] std::optional<FunctionWord> parseFunctionWord(std::string_view word,
                                                            std::span<const NamedChoice> functions,
                                                            const EnglishTexts& texts, std::string& problem);

/// A device's keys or buttons named after the function each has out of the box (`defaults`, one per item):
/// the keyboard key whose own function is the W key is "W", the mouse's first button "Left button"
/// (also "left"). Items without such a name are left out; the value is the item's number.
[[nodiscard]] std::vector<NamedChoice> itemChoices(std::span<const key_table::Code> defaults,
                                                   std::span<const NamedChoice> functions,
                                                   const EnglishTexts& texts);

/// The 0-based item `word` names: its number (1 to `last` + 1), or the name of one of `items`. `what` is the
/// item's word in messages ("button", "key"). Nothing, with the reason in `problem`, otherwise.
[[nodiscard]] std::optional<size_t> parseItemWord(std::string_view word, size_t last,
                                                  std::span<const NamedChoice> items, std::string_view what,
                                                  std::string& problem);

/// The shown name of item `j` among `items`; empty when it has none.
[[nodiscard]] std::string itemName(size_t j, std::span<const NamedChoice> items);

/// What an assignment does, in English, in words parseFunctionWord reads back to the same code: "G",
/// "Left Ctrl+Left Shift+G", "Left button", "Fire key, interval 120, count 2", "macro Jump". Empty when
/// the device page shows no text for it.
[[nodiscard]] std::string assignmentName(const KeyAssignment& assignment,
                                         std::span<const std::string> macroNames,
                                         std::span<const NamedChoice> functions, const EnglishTexts& texts);

/// What an assignment does with its code: "G (20000a)", or the code alone when it has no name.
[[nodiscard]] std::string assignmentLine(const KeyAssignment& assignment,
                                         std::span<const std::string> macroNames,
                                         std::span<const NamedChoice> functions, const EnglishTexts& texts);

}  // namespace halvern::cli
