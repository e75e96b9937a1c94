#pragma once

#include <QString>
#include <optional>
#include <span>
#include <string>

#include "profile/profile_records.h"

namespace halvern::ui {

class LanguageTexts;

/// The translated text of a key assignment as a device page shows it: the language texts of its parts
/// joined with "+", or a macro's name as it is. Nothing when the assignment has no text. Without language
/// texts the text ids are shown.
[[nodiscard]] std::optional<QString> assignmentLabel(const KeyAssignment& assignment,
                                                     std::span<const std::string> macroNames,
                                                     const LanguageTexts* texts);

/// As assignmentLabel, with the keyboard's two differences: an M key (type 0xD0) is named by its row of
/// the key code table, and a recoil pattern (type 0x72), which the keyboard cannot play, reads "关闭".
[[nodiscard]] std::optional<QString> keyboardAssignmentLabel(const KeyAssignment& assignment,
                                                             std::span<const std::string> macroNames,
                                                             const LanguageTexts* texts);

/// The language text of the key code table row equal in all three bytes to (type, c1, c2); empty when
/// there is none.
[[nodiscard]] QString keyCodeName(uint8_t type, uint8_t c1, uint8_t c2, const LanguageTexts* texts);
/// The language text id of that row's name; empty when there is no such row.
[[nodiscard]] QString keyCodeNameId(uint8_t type, uint8_t c1, uint8_t c2);

}  // namespace halvern::ui
