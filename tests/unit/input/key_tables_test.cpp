#include "input/key_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace halvern {
namespace {

TEST(KeyTables, KeyRowsHaveTheirClassAndUniqueCodes) {
    std::set<std::tuple<uint8_t, uint8_t, uint8_t>> codes;
    std::set<std::string_view> names;
    for (size_t row = 0; row < KeyCodeTable.size(); ++row) {
        const KeyCodeRow& key = KeyCodeTable[row];
        EXPECT_TRUE(codes.insert({key.type, key.code1, key.code2}).second) << "duplicate code, row " << row;
        EXPECT_TRUE(names.insert(key.name).second) << "duplicate name, row " << row;
        if (row < 114) {
            EXPECT_EQ(key.type, assign_type::kKeyboard) << row;
        }
        if (row < 8) {
            EXPECT_EQ(key.code1, 1u << row) << row;
            EXPECT_EQ(key.code2, 0) << row;
        } else if (row < 114) {
            EXPECT_EQ(key.code1, 0) << row;
        }
        if (row < static_cast<size_t>(kCapturableKeyRows)) {
            EXPECT_NE(key.scan, 0) << row;
        } else {
            EXPECT_EQ(key.scan, 0) << row;
        }
    }
    // Scan code and E0 flag identify a capturable key.
    std::set<std::pair<uint8_t, bool>> scans;
    for (int row = 0; row < kCapturableKeyRows; ++row) {
        const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
        EXPECT_TRUE(scans.insert({key.scan, key.extended}).second) << row;
    }
}

TEST(KeyTables, GroupsSitWhereTheEditorExpectsThem) {
    EXPECT_EQ(KeyCodeTable[8].name, "keyboard_key_A");
    EXPECT_EQ(KeyCodeTable[33].name, "keyboard_key_Z");
    EXPECT_EQ(KeyCodeTable[33].code2, 0x1D);
    EXPECT_EQ(KeyCodeTable[43].name, "keyboard_key_0");
    EXPECT_EQ(KeyCodeTable[103].code2, 0x65);
    EXPECT_EQ(KeyCodeTable[112].name, "keyboard_key_K151");
    EXPECT_EQ(KeyCodeTable[113].code2, 0x32);
    for (size_t row = 114; row < 132; ++row) EXPECT_EQ(KeyCodeTable[row].type, assign_type::kConsumer) << row;
    EXPECT_EQ(KeyCodeTable[131].code1, 0x83);  // usage 0x0183, low byte first
    EXPECT_EQ(KeyCodeTable[131].code2, 0x01);
    for (size_t row = 132; row < 135; ++row) EXPECT_EQ(KeyCodeTable[row].type, assign_type::kSystem) << row;
    for (size_t row = 135; row < 140; ++row) {
        EXPECT_EQ(KeyCodeTable[row].type, assign_type::kMacroKey);
        EXPECT_EQ(KeyCodeTable[row].code2, row - 134);
    }
    EXPECT_EQ(KeyCodeTable[141].code1, 0x1B);

    EXPECT_EQ(kMediaChoices.size(), 18u);
    EXPECT_EQ(kShortcutChoices.size(), 11u);
    EXPECT_EQ(kDeviceShortcutNames.size(), 9u);
    // Every media choice is one of the consumer keys, and every shortcut is left Ctrl with a plain key.
    for (const ChoiceRow& media : kMediaChoices) {
        bool found = false;
        for (const KeyCodeRow& key : KeyCodeTable)
            found = found || (key.code1 == media.code1 && key.code2 == media.code2);
        EXPECT_TRUE(found) << media.name;
    }
    for (const ChoiceRow& shortcut : kShortcutChoices) {
        EXPECT_EQ(shortcut.code1, modifier::kLeftCtrl);
        EXPECT_GE(FindKeyRowByUsage(shortcut.code2), 8) << shortcut.name;
    }
}

TEST(KeyTables, Lookups) {
    EXPECT_EQ(FindKeyRowByScan(0x1D, false), 0);   // left Ctrl
    EXPECT_EQ(FindKeyRowByScan(0x1D, true), 4);    // right Ctrl
    EXPECT_EQ(FindKeyRowByScan(0x1C, true), 91);   // keypad Enter
    EXPECT_EQ(FindKeyRowByScan(0x45, false), 75);  // Pause
    EXPECT_EQ(FindKeyRowByScan(0x45, true), 86);   // Num Lock
    EXPECT_EQ(FindKeyRowByScan(0x00, false), -1);
    EXPECT_EQ(FindKeyRowByUsage(0x04), 8);
    EXPECT_EQ(FindKeyRowByUsage(0x32), 113);  // shown, though no key press makes it
    EXPECT_EQ(FindKeyRowByUsage(0x00), -1);
    EXPECT_EQ(FindModifierRow(0x10), 4);
    EXPECT_EQ(FindModifierRow(0x03), -1);
    EXPECT_EQ(FindModifierRow(0x00), -1);
    const int boxes[8] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int row = 0; row < 8; ++row) EXPECT_EQ(ModifierBoxOfRow(row), boxes[row]);
    EXPECT_EQ(ModifierMaskOfBox(0), 0);
    EXPECT_EQ(ModifierMaskOfBox(4), 0x08);
    EXPECT_EQ(ModifierMaskOfBox(5), 0);
    EXPECT_EQ(MouseActionName(1, 16, true), "mouse_key_forward");
    EXPECT_EQ(MouseActionName(4, 0, true), "mouse_move_to_left_text");
    EXPECT_EQ(MouseActionName(5, 7, false), "mouse_move_to_down_text");
    EXPECT_EQ(MouseActionName(1, 32, true), "");
    EXPECT_EQ(MouseActionName(2, 1, true), "");
}

}  // namespace
}  // namespace halvern
