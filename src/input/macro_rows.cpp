#include "input/macro_rows.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "input/key_tables.h"

namespace halvern {

std::optional<std::vector<MacroEvent>> MenuItemEvents(std::string_view item, uint16_t delay) {
    for (const MouseMenuItem& m : kMouseMenuItems) {
        if (m.name != item) continue;
        std::vector<MacroEvent> events;
        if (m.press) events.push_back({true, m.button, macro_event_type::kMouseButton, delay});
        if (m.release) events.push_back({false, m.button, macro_event_type::kMouseButton, delay});
        return events;
    }
    return std::nullopt;
}

MacroEvent MovementEvent(Movement movement, long distance, uint16_t delay) {
    const bool horizontal = movement == Movement::Left || movement == Movement::Right;
    const bool negative = movement == Movement::Left || movement == Movement::Up;
    return {negative, static_cast<uint8_t>(static_cast<unsigned long>(distance) & 0xFFu),
            horizontal ? macro_event_type::kMoveHorizontal : macro_event_type::kMoveVertical, delay};
}

bool InsertAfterSelection(MacroRows& rows, const std::vector<MacroEvent>& events) {
    return InsertAtRow(rows, rows.events.empty() ? 0 : static_cast<size_t>(std::max(rows.selected, 0)) + 1,
                       events);
}

bool InsertAtRow(MacroRows& rows, size_t at, const std::vector<MacroEvent>& events) {
    if (events.empty() || at > rows.events.size() || rows.events.size() + events.size() > kMaxMacroEvents)
        return false;
    rows.events.insert(rows.events.begin() + static_cast<std::ptrdiff_t>(at), events.begin(), events.end());
    rows.selected = static_cast<int>(at + events.size() - 1);
    return true;
}

bool MoveSelectedRow(MacroRows& rows, RowMove move) {
    const int count = static_cast<int>(rows.events.size());
    const int from = rows.selected;
    if (from < 0 || from >= count) return false;
    int to = from;
    switch (move) {
        case RowMove::Up:
            to = from - 1;
            break;
        case RowMove::Down:
            to = from + 1;
            break;
        case RowMove::Top:
            to = 0;
            break;
        case RowMove::Bottom:
            to = count - 1;
            break;
    }
    if (to < 0 || to >= count || to == from) return false;
    const MacroEvent row = rows.events[static_cast<size_t>(from)];
    rows.events.erase(rows.events.begin() + from);
    rows.events.insert(rows.events.begin() + to, row);
    rows.selected = to;
    return true;
}

bool DeleteSelectedRow(MacroRows& rows) {
    if (rows.selected < 0 || rows.selected >= static_cast<int>(rows.events.size())) return false;
    rows.events.erase(rows.events.begin() + rows.selected);
    rows.selected = -1;
    return true;
}

std::string_view EventTextId(const MacroEvent& event) {
    if (event.type == macro_event_type::kKey || event.type == macro_event_type::kModifier) {
        const int row = event.type == macro_event_type::kKey ? FindKeyRowByUsage(event.button)
                                                             : FindModifierRow(event.button);
        return row < 0 ? std::string_view{} : KeyCodeTable[static_cast<size_t>(row)].name;
    }
    return MouseActionName(event.type, event.button, event.down);
}

uint16_t DelayFromText(std::string_view text) {
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size()) return 0;
    if (ec == std::errc::result_out_of_range || value > 65534) return kDelayOutOfRange;
    return static_cast<uint16_t>(value);
}

}  // namespace halvern
