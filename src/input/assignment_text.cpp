#include "input/assignment_text.h"

#include <algorithm>

#include "input/key_tables.h"

namespace halvern {
namespace {

using Text = std::optional<AssignmentText>;

Text ids(std::string_view id) {
    return AssignmentText{{id}, {}};
}

template <size_t N>
Text choiceText(const std::array<ChoiceRow, N>& rows, uint8_t c1, std::optional<uint8_t> c2) {
    for (const ChoiceRow& row : rows) {
        if (row.code1 == c1 && (!c2 || row.code2 == *c2)) return ids(row.name);
    }
    return std::nullopt;
}

/// A keyboard code with modifiers: each modifier of the mask, lowest bit first, then the key, joined
/// ("LCtrl+LShift+C", "LCtrl+LAlt"); nothing when a part has no name.
Text modifiedKeyText(uint8_t mask, uint8_t usage) {
    AssignmentText joined;
    for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
        if ((mask & bit) == 0) continue;
        const int row = FindModifierRow(static_cast<uint8_t>(bit));
        if (row < 0) return std::nullopt;
        joined.textIds.push_back(KeyCodeTable[static_cast<size_t>(row)].name);
    }
    if (usage != 0) {
        const int row = FindKeyRowByUsage(usage);
        if (row < 0) return std::nullopt;
        joined.textIds.push_back(KeyCodeTable[static_cast<size_t>(row)].name);
    }
    return joined;
}

/// Keyboard (and default) codes: the key row with both code bytes; a keyboard code with modifiers names
/// them all and its key; a default code joins the rows of its type sharing the modifier byte or the usage
/// byte. A zero byte means "none" and matches nothing.
Text keyText(uint8_t type, uint8_t c1, uint8_t c2) {
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.code1 == c1 && row.code2 == c2) return ids(row.name);
    }
    if (c1 == 0 && c2 == 0) return ids("close_text");
    if (type == assign_type::kKeyboard && c1 != 0) return modifiedKeyText(c1, c2);
    AssignmentText joined;
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.type != type) continue;
        if ((c1 != 0 && row.code1 == c1) || (c2 != 0 && row.code2 == c2)) joined.textIds.push_back(row.name);
    }
    if (joined.textIds.empty()) return std::nullopt;
    return joined;
}

Text specialText(uint8_t c1, uint8_t c2) {
    if (c1 == 0x02) return ids("mouse_key_smart_key");
    if (c1 == 0x00) return ids("close_text");
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.type == assign_type::kSpecial && row.code1 == c1 && row.code2 == c2) return ids(row.name);
    }
    return std::nullopt;
}

/// Types that exist on some device but have no text.
constexpr std::array<uint8_t, 6> kSilentTypes{0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0};

}  // namespace

std::optional<AssignmentText> AssignmentTextFor(uint8_t type, uint8_t c1, uint8_t c2,
                                                std::span<const std::string> macroNames) {
    namespace t = assign_type;
    switch (type) {
        case t::kDefault:
        case t::kKeyboard:
            return keyText(type, c1, c2);
        case t::kMouseButton:
            return choiceText(kMouseButtonChoices, c1, std::nullopt);
        case t::kSwing:
            return ids((c2 & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
        case t::kWheel:
            return ids((c2 & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
        case t::kDpi:
            return choiceText(kDpiChoices, c1, std::nullopt);
        case t::kFire:
            return ids("mouse_key_fire_key");
        case t::kDpiShift:
            return ids("mouse_key_DPI_shift");
        case t::kDeviceShortcut:
            if (c2 >= kDeviceShortcutNames.size()) return std::nullopt;
            return ids(kDeviceShortcutNames[c2]);
        case t::kShowWindow:
            if (c1 != 0 || c2 != 0) return std::nullopt;
            return ids("show_window");
        case t::kConsumer:
            return choiceText(kMediaChoices, c1, c2);
        case t::kSystem:
            return choiceText(kSystemChoices, c1, c2);
        case t::kMacroMode:
        case t::kMacroCount:
            if (c1 >= macroNames.size()) return std::nullopt;
            return AssignmentText{{}, macroNames[c1]};
        case t::kRecoil:
            if (c1 >= kRecoilNames.size()) return std::nullopt;
            return ids(kRecoilNames[c1]);
        case t::kSpecial:
            return specialText(c1, c2);
        default:
            break;
    }
    if (std::ranges::find(kSilentTypes, type) != kSilentTypes.end()) return std::nullopt;
    return AssignmentText{{}, "关闭"};
}

}  // namespace halvern
