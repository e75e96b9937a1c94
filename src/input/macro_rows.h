#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "input/macro_event.h"

namespace halvern {

/// The rows of the macro being edited and the row selected in it (-1 for none). Every operation keeps
/// `selected` inside the list or at -1.
struct MacroRows {
    std::vector<MacroEvent> events;
    int selected = -1;
};

/// The mouse actions the action menu inserts, by menu item name: "left_down", "left_click", ...
struct MouseMenuItem {
    std::string_view name;
    uint8_t button;
    bool press;
    bool release;
};
inline constexpr MouseMenuItem kMouseMenuItems[] = {
    {"left_down", 1, true, false},     {"left_up", 1, false, true},     {"left_click", 1, true, true},
    {"middle_down", 4, true, false},   {"middle_up", 4, false, true},   {"middle_click", 4, true, true},
    {"right_down", 2, true, false},    {"right_up", 2, false, true},    {"right_click", 2, true, true},
    {"forward_down", 16, true, false}, {"forward_up", 16, false, true}, {"forward_click", 16, true, true},
    {"back_down", 8, true, false},     {"back_up", 8, false, true},     {"back_click", 8, true, true},
};

/// The four movement buttons, in the order of their names "macro_inset_move{left,right,up,down}key_btn".
enum class Movement : uint8_t { Left, Right, Up, Down };
/// The four row moves: one up, one down, to the top, to the bottom.
enum class RowMove : uint8_t { Up, Down, Top, Bottom };

/// The events of a menu item; nothing for a name that is not one.
[[nodiscard]] std::optional<std::vector<MacroEvent>> MenuItemEvents(std::string_view item, uint16_t delay);
/// The movement event: horizontal type 4 ("down" to the left), vertical type 5 ("down" upwards); the
/// distance keeps its low 8 bits, as the edit's number reaches the device.
[[nodiscard]] MacroEvent MovementEvent(Movement movement, long distance, uint16_t delay);

/// Inserts events after the selected row (at the top of an empty list; after row 0 when nothing is
/// selected in a list that has rows) and selects the last of them, so that further insertions follow
/// in order. False, with nothing changed, when the macro would exceed kMaxMacroEvents.
[[nodiscard]] bool InsertAfterSelection(MacroRows& rows, const std::vector<MacroEvent>& events);
/// Inserts `events` before row `at` (0 puts them at the top, the row count at the end) and selects the last
/// of them. False (nothing changed) when `at` is past the end, `events` is empty or the macro would hold
/// more than kMaxMacroEvents rows.
[[nodiscard]] bool InsertAtRow(MacroRows& rows, size_t at, const std::vector<MacroEvent>& events);

/// Moves the selected row; the row stays selected. False (nothing changed) without a selection, or when
/// the row is already where the move would take it.
[[nodiscard]] bool MoveSelectedRow(MacroRows& rows, RowMove move);

/// Removes the selected row; nothing is selected afterwards. False without a selection.
[[nodiscard]] bool DeleteSelectedRow(MacroRows& rows);

/// The text id that names an event: the key (types 9 and 10) or the mouse action; empty when unknown.
[[nodiscard]] std::string_view EventTextId(const MacroEvent& event);

/// The delay a delay edit's text stands for: decimal digits read as a number, values above 65534 as
/// 65535, anything else (empty text included) as 0.
[[nodiscard]] uint16_t DelayFromText(std::string_view text);

}  // namespace halvern
