#include "input/macro_rows.h"

#include <gtest/gtest.h>

namespace halvern {
namespace {

constexpr uint16_t kFixed = 50;

MacroEvent key(uint8_t usage, bool down = true) {
    return {down, usage, macro_event_type::kKey, 20};
}

TEST(MacroRows, MenuItemsAndMovementsInsertAfterTheSelectionWithTheFixedDelay) {
    MacroRows rows;
    ASSERT_TRUE(InsertAfterSelection(rows, *MenuItemEvents("left_click", kFixed)));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{{true, 1, 1, kFixed}, {false, 1, 1, kFixed}}));
    EXPECT_EQ(rows.selected, 1);

    // 300 reaches the device as its low eight bits; the new row follows the selected one.
    rows.selected = 0;
    ASSERT_TRUE(InsertAfterSelection(rows, {MovementEvent(Movement::Left, 300, kFixed)}));
    EXPECT_EQ(rows.events[1], (MacroEvent{true, 44, macro_event_type::kMoveHorizontal, kFixed}));
    EXPECT_EQ(rows.selected, 1);
    EXPECT_EQ(MovementEvent(Movement::Down, 7, 0),
              (MacroEvent{false, 7, macro_event_type::kMoveVertical, 0}));
    EXPECT_EQ(MenuItemEvents("back_down", 5)->front(), (MacroEvent{true, 8, 1, 5}));
    EXPECT_EQ(MenuItemEvents("forward_up", 5)->front(), (MacroEvent{false, 16, 1, 5}));
    EXPECT_FALSE(MenuItemEvents("left_clik", 5));

    // Without a selection a list with rows takes the new row after its first row.
    rows.selected = -1;
    ASSERT_TRUE(InsertAfterSelection(rows, {key(0x04)}));
    EXPECT_EQ(rows.events[1], key(0x04));

    // A macro holds at most 4000 events; a click that would pass the limit is refused whole.
    rows.events.resize(kMaxMacroEvents - 1);
    EXPECT_FALSE(InsertAfterSelection(rows, *MenuItemEvents("right_click", kFixed)));
    EXPECT_EQ(rows.events.size(), kMaxMacroEvents - 1);
}

// A row number from 0 (the top) to the row count (the end); one past the end is refused, nothing changed.
TEST(MacroRows, InsertAtRowReachesTheTopAndTheEndButNotPastIt) {
    MacroRows rows{{key(4), key(5)}, -1};
    ASSERT_TRUE(InsertAtRow(rows, 0, *MenuItemEvents("left_click", kFixed)));
    EXPECT_EQ(rows.events.front(), (MacroEvent{true, 1, 1, kFixed}));
    EXPECT_EQ(rows.selected, 1);
    ASSERT_TRUE(InsertAtRow(rows, rows.events.size(), {key(6)}));
    EXPECT_EQ(rows.events.back(), key(6));
    const std::vector<MacroEvent> before = rows.events;
    EXPECT_FALSE(InsertAtRow(rows, rows.events.size() + 1, {key(7)}));
    EXPECT_FALSE(InsertAtRow(rows, 0, {}));
    EXPECT_EQ(rows.events, before);
}

TEST(MacroRows, MovesStopAtTheEndsAndDeleteClearsTheSelection) {
    MacroRows rows{{key(4), key(5), key(6)}, 0};
    EXPECT_FALSE(MoveSelectedRow(rows, RowMove::Up));
    EXPECT_FALSE(MoveSelectedRow(rows, RowMove::Top));
    ASSERT_TRUE(MoveSelectedRow(rows, RowMove::Bottom));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{key(5), key(6), key(4)}));
    EXPECT_EQ(rows.selected, 2);
    EXPECT_FALSE(MoveSelectedRow(rows, RowMove::Down));
    ASSERT_TRUE(MoveSelectedRow(rows, RowMove::Up));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{key(5), key(4), key(6)}));

    ASSERT_TRUE(DeleteSelectedRow(rows));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{key(5), key(6)}));
    EXPECT_EQ(rows.selected, -1);
    EXPECT_FALSE(DeleteSelectedRow(rows));
    EXPECT_FALSE(MoveSelectedRow(rows, RowMove::Down));
}

TEST(MacroRows, RowTextsAndDelayTexts) {
    EXPECT_EQ(EventTextId(key(0x04)), "keyboard_key_A");
    EXPECT_EQ(EventTextId({true, 0x10, macro_event_type::kModifier, 0}), "keyboard_key_RCtrl");
    EXPECT_EQ(EventTextId({true, 0x10, macro_event_type::kMouseButton, 0}), "mouse_key_forward");
    EXPECT_EQ(EventTextId({false, 3, macro_event_type::kMoveVertical, 0}), "mouse_move_to_down_text");
    EXPECT_EQ(EventTextId({true, 0xF0, macro_event_type::kKey, 0}), "");

    EXPECT_EQ(DelayFromText(""), 0);
    EXPECT_EQ(DelayFromText("65534"), 65534);
    EXPECT_EQ(DelayFromText("999999"), 65535);
    EXPECT_EQ(DelayFromText("99999999999999999999"), 65535);
    EXPECT_EQ(DelayFromText("12a"), 0);
    EXPECT_EQ(DelayFromText("-5"), 0);
}

}  // namespace
}  // namespace halvern
