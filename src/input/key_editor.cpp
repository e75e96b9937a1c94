#include "input/key_editor.h"

#include <array>
#include <cstdlib>
#include <span>

#include "input/key_tables.h"

namespace halvern {
namespace {

namespace cat = key_category;

/// The list of rows each drop-down category chooses from, and where its selection lives.
struct ChoiceCategory {
    int category;
    uint8_t type;
    std::span<const ChoiceRow> rows;
    int KeyEditorState::*selection;
};

constexpr std::array<ChoiceCategory, 5> kChoiceCategories{{
    {cat::kMouseButton, assign_type::kMouseButton, kMouseButtonChoices, &KeyEditorState::mouseKeyIndex},
    {cat::kDpi, assign_type::kDpi, kDpiChoices, &KeyEditorState::dpiIndex},
    {cat::kMedia, assign_type::kConsumer, kMediaChoices, &KeyEditorState::mediaIndex},
    {cat::kSystem, assign_type::kSystem, kSystemChoices, &KeyEditorState::systemIndex},
    {cat::kShortcut, assign_type::kKeyboard, kShortcutChoices, &KeyEditorState::shortcutIndex},
}};

const ChoiceCategory* choiceCategoryOf(int category) {
    for (const ChoiceCategory& c : kChoiceCategories) {
        if (c.category == category) return &c;
    }
    return nullptr;
}

const ChoiceCategory* choiceCategoryOfType(uint8_t type) {
    for (const ChoiceCategory& c : kChoiceCategories) {
        if (c.type == type && c.category != cat::kShortcut) return &c;
    }
    return nullptr;
}

uint8_t lowByte(long value) {
    return static_cast<uint8_t>(static_cast<unsigned long>(value) & 0xFFu);
}

/// delay << 4 | speed, each cut to 4 bits.
uint8_t timingByte(const SwingFields& f) {
    return static_cast<uint8_t>(((DecimalValue(f.delay) & 0xF) << 4) | (DecimalValue(f.speed) & 0xF));
}

void showTiming(SwingFields& f, uint8_t code1, uint8_t count, bool secondDirection) {
    f.delay = std::to_string(code1 >> 4);
    f.speed = std::to_string(code1 & 0xF);
    f.count = std::to_string(count);
    f.direction = secondDirection ? 1 : 0;
}

void readMacro(const KeyEditorState& s, KeyAssignment& a) {
    const int m = s.macroIndex;
    if (m < 0 || s.macroCount <= 0 || m >= s.macroCount || m > 0xFF) return;
    a.code1 = static_cast<uint8_t>(m);
    if (s.macroOverIndex == kMacroOverCountIndex) {
        a.type = assign_type::kMacroCount;
        a.code2 = lowByte(DecimalValue(s.macroCycleText));
    } else {
        a.type = assign_type::kMacroMode;
        a.code2 = static_cast<uint8_t>(
            s.macroOverIndex >= 0 && s.macroOverIndex < kMacroOverCountIndex ? s.macroOverIndex : 0);
    }
}

/// Keyboard codes: a plain key shows box 0 or the box of its modifier and the key's name; a combined
/// modifier mask (above the single right Win) belongs to the shortcut page.
int showKeyboard(KeyEditorState& s, const KeyAssignment& a) {
    if (a.code1 > 0x80) {
        s.shortcutIndex = -1;
        for (size_t i = 0; i < kShortcutChoices.size(); ++i) {
            if (kShortcutChoices[i].code1 == a.code1 && kShortcutChoices[i].code2 == a.code2) {
                s.shortcutIndex = static_cast<int>(i);
            }
        }
        return cat::kShortcut;
    }
    s.keptModifiers = 0;
    if (a.code1 == 0) {
        s.modifierBox = 0;
    } else {
        const int row = FindModifierRow(a.code1);
        s.modifierBox = row < 0 ? -1 : ModifierBoxOfRow(row);
        if (s.modifierBox < 0) s.keptModifiers = a.code1;
    }
    const int keyRow = FindKeyRowByUsage(a.code2);
    s.capturedUsage = a.code2;
    s.keyTextId = keyRow < 0 ? std::string_view{} : KeyCodeTable[static_cast<size_t>(keyRow)].name;
    return cat::kKeyboard;
}

/// The modifier mask the editor stands for: the chosen box's, or, while none is chosen, the one kept.
uint8_t editorModifiers(const KeyEditorState& s) {
    return s.modifierBox < 0 ? s.keptModifiers : ModifierMaskOfBox(s.modifierBox);
}

/// Sets the values of the category an assignment's type belongs to and returns that category.
int showByType(KeyEditorState& s, const KeyAssignment& a) {
    namespace t = assign_type;
    if (const ChoiceCategory* c = choiceCategoryOfType(a.type)) {
        s.*(c->selection) = -1;
        for (size_t i = 0; i < c->rows.size(); ++i) {
            if (c->rows[i].code1 == a.code1 && c->rows[i].code2 == a.code2) {
                s.*(c->selection) = static_cast<int>(i);
                break;
            }
        }
        return c->category;
    }
    switch (a.type) {
        case t::kSwing:
            showTiming(s.swing, a.code1, a.code2 & 0x7F, (a.code2 & 0x80) != 0);
            return cat::kSwing;
        case t::kWheel: {
            const bool second = (a.code2 & 0x80) != 0;
            showTiming(s.wheel, a.code1,
                       static_cast<uint8_t>(second ? 128 - (a.code2 & 0x7F) : a.code2 & 0x7F), second);
            return cat::kWheel;
        }
        case t::kFire:
            s.fireInterval = std::to_string(a.code1);
            s.fireCount = std::to_string(a.code2);
            return cat::kFire;
        case t::kKeyboard:
            return showKeyboard(s, a);
        case t::kMacroMode:
        case t::kMacroCount:
            // Show the macro and its repeat so that saving unchanged keeps the assignment.
            if (a.code1 < s.macroCount) s.macroIndex = a.code1;
            if (a.type == t::kMacroCount) {
                s.macroOverIndex = kMacroOverCountIndex;
                s.macroCycleText = std::to_string(a.code2);
            } else if (a.code2 < kMacroOverCountIndex) {
                s.macroOverIndex = a.code2;
            }
            return cat::kMacro;
        case t::kRecoil:
            if (a.code1 < kRecoilNames.size()) s.gunIndex = a.code1;
            return cat::kRecoil;
        case t::kCategory11:
            return cat::kShortcut;
        default:
            return cat::kDefault;
    }
}

}  // namespace

long DecimalValue(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

bool HasInvalidMacroCount(const KeyEditorState& s) {
    if (s.category != cat::kMacro || s.macroOverIndex != kMacroOverCountIndex) return false;
    const long count = DecimalValue(s.macroCycleText);
    return count < kMinMacroCount || count > kMaxMacroCount;
}

bool IsCompleteAssignment(const KeyEditorState& s) {
    if (s.category < 0) return false;
    if (const ChoiceCategory* c = choiceCategoryOf(s.category)) {
        const int index = s.*(c->selection);
        return index >= 0 && static_cast<size_t>(index) < c->rows.size();
    }
    switch (s.category) {
        case cat::kKeyboard:
            return !s.keyTextId.empty() || s.modifierBox > 0 || (s.modifierBox < 0 && s.keptModifiers != 0);
        case cat::kMacro:
            return s.macroIndex >= 0 && s.macroCount > 0 && s.macroIndex < s.macroCount &&
                   s.macroIndex <= 0xFF && !HasInvalidMacroCount(s);
        case cat::kRecoil:
            return s.gunIndex >= 0 && static_cast<size_t>(s.gunIndex) < kRecoilNames.size();
        default:
            return true;
    }
}

KeyAssignment ReadAssignment(const KeyEditorState& s, const KeyAssignment& current,
                             const KeyAssignment& defaults) {
    KeyAssignment a = current;
    if (!IsCompleteAssignment(s)) return a;
    if (const ChoiceCategory* c = choiceCategoryOf(s.category)) {
        const int index = s.*(c->selection);
        if (index < 0 || static_cast<size_t>(index) >= c->rows.size()) return a;
        const ChoiceRow& row = c->rows[static_cast<size_t>(index)];
        a.type = row.type;
        a.code1 = row.code1;
        a.code2 = row.code2;
        return a;
    }
    switch (s.category) {
        case cat::kSwing: {
            const long count = DecimalValue(s.swing.count);
            a.type = assign_type::kSwing;
            a.code1 = timingByte(s.swing);
            a.code2 = static_cast<uint8_t>(s.swing.direction == 1 ? (count & 0x7F) | 0x80 : count & 0x7F);
            return a;
        }
        case cat::kWheel: {
            const long count = DecimalValue(s.wheel.count) & 0x7F;
            a.type = assign_type::kWheel;
            a.code1 = timingByte(s.wheel);
            a.code2 = static_cast<uint8_t>(s.wheel.direction == 1 ? ((128 - count) & 0xFF) | 0x80 : count);
            return a;
        }
        case cat::kFire:
            a.type = assign_type::kFire;
            a.code1 = lowByte(DecimalValue(s.fireInterval));
            a.code2 = lowByte(DecimalValue(s.fireCount));
            return a;
        case cat::kKeyboard:
            a.type = assign_type::kKeyboard;
            a.code1 = editorModifiers(s);
            a.code2 = s.keyTextId.empty() ? 0 : s.capturedUsage;
            return a;
        case cat::kMacro:
            readMacro(s, a);
            return a;
        case cat::kRecoil:
            if (s.gunIndex < 0 || static_cast<size_t>(s.gunIndex) >= kRecoilNames.size()) return a;
            a.type = assign_type::kRecoil;
            a.code1 = static_cast<uint8_t>(s.gunIndex);
            a.code2 = 0;
            return a;
        default:
            return defaults;
    }
}

void ShowAssignment(KeyEditorState& s, const KeyAssignment& a, const KeyAssignment& defaults,
                    int categoryCount) {
    const bool isDefault = a.type == defaults.type && a.code1 == defaults.code1 && a.code2 == defaults.code2;
    const int category = isDefault ? cat::kDefault : showByType(s, a);
    if (category >= categoryCount) {
        s.layoutVisible = false;
        return;
    }
    s.layoutVisible = true;
    s.category = category;
    s.page = category;
}

std::optional<KeyAssignment> CaptureKey(KeyEditorState& s, const KeyAssignment& current, uint8_t scan,
                                        bool extended) {
    if (s.category != cat::kKeyboard) return std::nullopt;
    const int row = FindKeyRowByScan(scan, extended);
    if (row < 0) return std::nullopt;
    const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
    KeyAssignment a = current;
    a.type = assign_type::kKeyboard;
    if (row >= kFirstPlainKeyRow) {
        if (s.modifierBox < 0 && s.keptModifiers == 0) s.modifierBox = 0;
        a.code1 = editorModifiers(s);
        a.code2 = key.code2;
        s.capturedUsage = key.code2;
        s.keyTextId = key.name;
    } else {
        s.modifierBox = ModifierBoxOfRow(row);
        a.code1 = ModifierMaskOfBox(s.modifierBox);
        a.code2 = 0;
        s.capturedUsage = 0;
        s.keyTextId = {};
    }
    return a;
}

}  // namespace halvern
