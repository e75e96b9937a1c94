#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "profile/profile_records.h"

namespace halvern {

/// Editor categories: the user data of the items of "keyset_function_combo" and the page numbers of
/// "function_switch_tablayout".
namespace key_category {
inline constexpr int kDefault = 0;
inline constexpr int kMouseButton = 1;
inline constexpr int kSwing = 2;
inline constexpr int kWheel = 3;
inline constexpr int kDpi = 4;
inline constexpr int kFire = 5;
inline constexpr int kKeyboard = 6;
inline constexpr int kMedia = 7;
inline constexpr int kSystem = 8;
inline constexpr int kMacro = 9;
inline constexpr int kRecoil = 10;
inline constexpr int kShortcut = 11;
inline constexpr int kCount = 12;
}  // namespace key_category

/// Index of "keyset_macro_over_combo" that plays the macro a given number of times.
inline constexpr int kMacroOverCountIndex = 4;

/// Edits of the swing and wheel pages.
struct SwingFields {
    int direction = 0;  ///< index of the direction drop-down list (0 or 1; -1 none)
    std::string count;
    std::string delay;
    std::string speed;
    bool operator==(const SwingFields&) const = default;
};

/// What the controls of the key-assignment editor hold. Indices are the selected rows of the drop-down
/// lists (-1 for no selection); texts are the edits' texts.
struct KeyEditorState {
    int category = 0;           ///< user data of the selected "keyset_function_combo" item
    int page = 0;               ///< page shown by "function_switch_tablayout"
    bool layoutVisible = true;  ///< "keyset_layout"

    int mouseKeyIndex = -1;  ///< table of mouse buttons
    int dpiIndex = -1;
    int mediaIndex = -1;
    int systemIndex = -1;
    int shortcutIndex = -1;
    int gunIndex = -1;
    int macroIndex = -1;
    int macroCount = 0;  ///< items of "keyset_macro_combo"
    int macroOverIndex = 0;
    std::string macroCycleText;

    SwingFields swing;
    SwingFields wheel;
    std::string fireInterval;
    std::string fireCount;

    int modifierBox = -1;  ///< first checked "key_ComBox_check_" box 0..4, -1 none
    /// The modifiers of a shown assignment that no single box names (Ctrl+Shift): kept while no box is
    /// chosen, so that saving the key unchanged keeps them.
    uint8_t keptModifiers = 0;
    uint8_t capturedUsage = 0;   ///< HID usage of the key last captured or shown
    std::string_view keyTextId;  ///< text id shown in "keyset_keyboard_text_edit"; empty = edit empty
    bool operator==(const KeyEditorState&) const = default;
};

/// How often a macro can be played by "keyset_macro_cycle_edit": the count is one byte, and 0 times would
/// leave the key doing nothing.
inline constexpr long kMinMacroCount = 1;
inline constexpr long kMaxMacroCount = 255;

/// Whether the macro category is set to play a number of times that is blank or out of
/// kMinMacroCount-kMaxMacroCount.
[[nodiscard]] bool HasInvalidMacroCount(const KeyEditorState& state);

/// Whether the controls describe a whole assignment. Incomplete are: no category chosen; a list category
/// (mouse button, DPI, media, system, shortcut, recoil pattern) without a selection; the macro category
/// without a macro of the list, or with a number of times that is blank or out of range
/// (HasInvalidMacroCount); the keyboard category with neither a key nor a modifier (saving either would
/// give the key no function at all). The other number edits are always complete: blank text reads as 0.
[[nodiscard]] bool IsCompleteAssignment(const KeyEditorState& state);

/// Builds the assignment the controls describe, starting from `current` (whose key index it keeps).
/// Category 0 and unknown categories give `defaults`. An incomplete state (IsCompleteAssignment) gives
/// `current` unchanged, so saving it changes nothing. Edit texts are read as C decimal numbers (text that
/// is not a number reads as 0) and cut to the widths of their code fields.
[[nodiscard]] KeyAssignment ReadAssignment(const KeyEditorState& state, const KeyAssignment& current,
                                           const KeyAssignment& defaults);

/// Sets the controls from an assignment: the default assignment shows category 0; otherwise the
/// category of its type with its values. `categoryCount` is the number of items of the category list
/// (item i has category i); when the category is not among them the editor layout is hidden.
void ShowAssignment(KeyEditorState& state, const KeyAssignment& a, const KeyAssignment& defaults,
                    int categoryCount);

/// A key press captured while the keyboard category is shown: a plain key goes with the checked modifier
/// box (box 0 when none is checked), a modifier alone checks its box and stands for the left-hand
/// modifier. Returns the new assignment (to become current), or nothing for a key the table does not
/// hold or when another category is shown.
[[nodiscard]] std::optional<KeyAssignment> CaptureKey(KeyEditorState& state, const KeyAssignment& current,
                                                      uint8_t scan, bool extended);

/// The C library's decimal conversion: leading blanks, a sign and digits; anything else reads as 0.
[[nodiscard]] long DecimalValue(const std::string& text);

}  // namespace halvern
