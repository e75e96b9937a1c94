#include "input/key_editor.h"

#include <gtest/gtest.h>

#include "input/key_tables.h"

namespace halvern {
namespace {

namespace cat = key_category;

constexpr KeyAssignment kDefault{7, 0x10, 0x01, 0x00};  // key 7, left button by default
constexpr KeyAssignment kCurrent{7, 0x13, 0x03, 0x00};

KeyAssignment code(uint8_t type, uint8_t c1, uint8_t c2) {
    return {7, type, c1, c2};
}

TEST(KeyEditor, SwingAndWheelEncodeAndShowBack) {
    KeyEditorState s;
    s.category = cat::kSwing;
    s.swing = {1, "5", "2", "3"};
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x11, 0x23, 0x85));
    s.category = cat::kWheel;
    s.wheel = {1, "5", "2", "3"};
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x12, 0x23, 0xFB));
    s.wheel.direction = 0;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x12, 0x23, 0x05));

    // Text is read as C decimal numbers and cut to the field widths.
    s.category = cat::kSwing;
    s.swing = {0, "300", "17", "x"};  // 300 & 0x7F = 44, 17 & 0xF = 1, "x" = 0
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x11, 0x10, 0x2C));
    s.swing = {0, " 12abc", "-1", ""};
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x11, 0xF0, 0x0C));

    KeyEditorState shown;
    ShowAssignment(shown, code(0x12, 0x23, 0xFB), kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kWheel);
    EXPECT_EQ(shown.page, cat::kWheel);
    EXPECT_EQ(shown.wheel, (SwingFields{1, "5", "2", "3"}));
    ShowAssignment(shown, code(0x11, 0x23, 0x85), kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kSwing);
    EXPECT_EQ(shown.swing, (SwingFields{1, "5", "2", "3"}));
    EXPECT_EQ(ReadAssignment(shown, kCurrent, kDefault), code(0x11, 0x23, 0x85));
}

TEST(KeyEditor, KeyCaptureWithAndWithoutModifier) {
    KeyEditorState s;
    s.category = cat::kKeyboard;
    // Right Ctrl alone checks the Ctrl box and stands for left Ctrl.
    auto a = CaptureKey(s, kCurrent, 0x1D, true);
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, code(0x20, 0x01, 0x00));
    EXPECT_EQ(s.modifierBox, 1);
    EXPECT_TRUE(s.keyTextId.empty());
    // Then A: Ctrl+A.
    a = CaptureKey(s, *a, 0x1E, false);
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, code(0x20, 0x01, 0x04));
    EXPECT_EQ(s.keyTextId, "keyboard_key_A");
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x20, 0x01, 0x04));

    // No box checked: box 0, no modifier.
    KeyEditorState plain;
    plain.category = cat::kKeyboard;
    a = CaptureKey(plain, kCurrent, 0x1C, true);  // keypad Enter
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, code(0x20, 0x00, 0x58));
    EXPECT_EQ(plain.modifierBox, 0);
    // Right Win alone: Win box, left Win code.
    a = CaptureKey(plain, kCurrent, 0x5C, true);
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, code(0x20, 0x08, 0x00));
    EXPECT_EQ(plain.modifierBox, 4);

    // Unknown keys and other categories capture nothing and change nothing.
    const KeyEditorState before = plain;
    EXPECT_FALSE(CaptureKey(plain, kCurrent, 0x7F, true));
    plain.category = cat::kMedia;
    EXPECT_FALSE(CaptureKey(plain, kCurrent, 0x1E, false));
    plain.category = cat::kKeyboard;
    EXPECT_EQ(plain, before);

    // An emptied text edit reads as no key.
    s.keyTextId = {};
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x20, 0x01, 0x00));
}

// A key with several modifiers (set by halvernctl or a profile) keeps them when the editor shows it and
// saves it unchanged, and when a new key is captured; a box the user chooses replaces them.
TEST(KeyEditor, SeveralModifiersSurviveTheEditorUntilABoxIsChosen) {
    const KeyAssignment ctrlShiftC = code(0x20, 0x03, 0x06);
    KeyEditorState s;
    ShowAssignment(s, ctrlShiftC, kDefault, 20);
    EXPECT_EQ(s.category, cat::kKeyboard);
    EXPECT_EQ(s.modifierBox, -1);
    EXPECT_TRUE(IsCompleteAssignment(s));
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), ctrlShiftC);
    auto a = CaptureKey(s, ctrlShiftC, 0x1E, false);  // A
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, code(0x20, 0x03, 0x04));
    s.modifierBox = 2;  // the Shift box
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x20, 0x02, 0x04));
    // A single modifier is shown by its box and keeps nothing aside.
    ShowAssignment(s, code(0x20, 0x01, 0x04), kDefault, 20);
    EXPECT_EQ(s.modifierBox, 1);
    EXPECT_EQ(s.keptModifiers, 0);
}

// An assignment the user has not finished is refused: saving it keeps the current one.
TEST(KeyEditor, IncompleteAssignmentsKeepTheCurrentOne) {
    KeyEditorState keyboard;
    keyboard.category = cat::kKeyboard;
    keyboard.modifierBox = 0;  // the key field is empty
    EXPECT_FALSE(IsCompleteAssignment(keyboard));
    EXPECT_EQ(ReadAssignment(keyboard, kCurrent, kDefault), kCurrent);
    keyboard.modifierBox = -1;
    EXPECT_FALSE(IsCompleteAssignment(keyboard));
    EXPECT_EQ(ReadAssignment(keyboard, kCurrent, kDefault), kCurrent);
    keyboard.modifierBox = 3;  // Alt alone
    EXPECT_TRUE(IsCompleteAssignment(keyboard));
    EXPECT_EQ(ReadAssignment(keyboard, kCurrent, kDefault), code(0x20, 0x04, 0x00));

    KeyEditorState lists;
    for (const int category : {cat::kMouseButton, cat::kDpi, cat::kMedia, cat::kSystem, cat::kShortcut,
                               cat::kMacro, cat::kRecoil, -1}) {
        lists.category = category;
        EXPECT_FALSE(IsCompleteAssignment(lists)) << category;
        EXPECT_EQ(ReadAssignment(lists, kCurrent, kDefault), kCurrent) << category;
    }
    lists.macroCount = 2;
    lists.macroIndex = 2;  // past the macro list
    lists.category = cat::kMacro;
    EXPECT_FALSE(IsCompleteAssignment(lists));

    // Categories whose fields are numbers are always whole: blank text reads as 0.
    for (const int category : {cat::kDefault, cat::kSwing, cat::kWheel, cat::kFire, 42}) {
        KeyEditorState numbers;
        numbers.category = category;
        EXPECT_TRUE(IsCompleteAssignment(numbers)) << category;
    }
}

TEST(KeyEditor, DefaultShowsCategoryZeroAndSavesTheDefault) {
    KeyEditorState s;
    s.category = cat::kDpi;
    ShowAssignment(s, kDefault, kDefault, cat::kCount);
    EXPECT_EQ(s.category, cat::kDefault);
    EXPECT_EQ(s.page, cat::kDefault);
    EXPECT_TRUE(s.layoutVisible);
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kDefault);
    s.category = 42;  // an item with an unknown category behaves as the default one
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kDefault);
}

TEST(KeyEditor, MacroCategory) {
    KeyEditorState s;
    s.category = cat::kMacro;
    s.macroIndex = -1;
    s.macroCount = 0;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kCurrent);  // no macros: unchanged
    s.macroCount = 3;
    s.macroIndex = 3;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kCurrent);  // beyond the list
    s.macroIndex = 2;
    s.macroOverIndex = 1;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x70, 2, 1));
    s.macroOverIndex = kMacroOverCountIndex;
    s.macroCycleText = "12";
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x71, 2, 12));
    // Playing a macro a blank, zero or too large number of times would leave the key doing nothing.
    for (const char* times : {"", " ", "0", "-2", "256", "many"}) {
        s.macroCycleText = times;
        EXPECT_TRUE(HasInvalidMacroCount(s)) << times;
        EXPECT_FALSE(IsCompleteAssignment(s)) << times;
        EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kCurrent) << times;
    }
    s.macroCycleText = "255";
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x71, 2, 255));
    s.macroOverIndex = 0;
    s.macroCycleText.clear();  // the count matters only when the macro plays a number of times
    EXPECT_FALSE(HasInvalidMacroCount(s));
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x70, 2, 0));

    // Reopening shows the macro and its repeat, so saving again keeps them.
    KeyEditorState shown;
    shown.macroCount = 3;
    ShowAssignment(shown, code(0x71, 1, 9), kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kMacro);
    EXPECT_EQ(shown.macroIndex, 1);
    EXPECT_EQ(shown.macroOverIndex, kMacroOverCountIndex);
    EXPECT_EQ(ReadAssignment(shown, kCurrent, kDefault), code(0x71, 1, 9));
    ShowAssignment(shown, code(0x70, 0, 3), kDefault, cat::kCount);
    EXPECT_EQ(ReadAssignment(shown, kCurrent, kDefault), code(0x70, 0, 3));
}

TEST(KeyEditor, ListsAndShortcuts) {
    KeyEditorState s;
    s.category = cat::kShortcut;
    s.shortcutIndex = 4;  // Ctrl+C
    const KeyAssignment ctrlC = ReadAssignment(s, kCurrent, kDefault);
    EXPECT_EQ(ctrlC, code(0x20, 0x01, 0x06));
    KeyEditorState shown;
    ShowAssignment(shown, ctrlC, kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kKeyboard);
    EXPECT_EQ(shown.modifierBox, 1);
    EXPECT_EQ(shown.keyTextId, "keyboard_key_C");
    EXPECT_EQ(ReadAssignment(shown, kCurrent, kDefault), ctrlC);

    s.category = cat::kMedia;
    s.mediaIndex = 0;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x30, 0x83, 0x01));
    s.mediaIndex = 18;  // no such row: unchanged
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), kCurrent);
    ShowAssignment(shown, code(0x30, 0x8A, 0x01), kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kMedia);
    EXPECT_EQ(shown.mediaIndex, 17);
    ShowAssignment(shown, code(0x40, 0x03, 0x00), kDefault, cat::kCount);
    EXPECT_EQ(shown.category, cat::kSystem);
    EXPECT_EQ(shown.systemIndex, -1);
    ShowAssignment(shown, code(0x10, 0x10, 0x00), kDefault, cat::kCount);
    EXPECT_EQ(shown.mouseKeyIndex, 3);
    EXPECT_EQ(ReadAssignment(shown, kCurrent, kDefault), code(0x10, 0x10, 0x00));

    s.category = cat::kFire;
    s.fireInterval = "300";
    s.fireCount = "7";
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x14, 0x2C, 0x07));
    s.category = cat::kRecoil;
    s.gunIndex = 2;
    EXPECT_EQ(ReadAssignment(s, kCurrent, kDefault), code(0x72, 2, 0));
    ShowAssignment(shown, code(0x72, 3, 0), kDefault, cat::kCount);
    EXPECT_EQ(shown.gunIndex, 3);
}

TEST(KeyEditor, CategoryMissingFromTheListHidesTheEditor) {
    KeyEditorState s;
    ShowAssignment(s, code(0x72, 1, 0), kDefault, cat::kRecoil);  // a list without the recoil item
    EXPECT_FALSE(s.layoutVisible);
    ShowAssignment(s, code(0xB0, 1, 2), kDefault, cat::kCount);
    EXPECT_TRUE(s.layoutVisible);
    EXPECT_EQ(s.category, cat::kShortcut);
    // Types the editor does not make fall back to the default page.
    ShowAssignment(s, code(0x22, 0, 3), kDefault, cat::kCount);
    EXPECT_EQ(s.category, cat::kDefault);
    // A keyboard code with an unknown usage shows no key name and reads back without it.
    ShowAssignment(s, code(0x20, 0x00, 0xF0), kDefault, cat::kCount);
    EXPECT_EQ(s.category, cat::kKeyboard);
    EXPECT_TRUE(s.keyTextId.empty());
}

}  // namespace
}  // namespace halvern
