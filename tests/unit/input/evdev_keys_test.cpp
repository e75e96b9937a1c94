#include "input/evdev_keys.h"

#include <gtest/gtest.h>

#include <set>

#include "input/key_tables.h"

namespace halvern {
namespace {

TEST(EvdevKeys, EveryCapturableKeyHasExactlyOneEvdevCode) {
    std::set<int> rowsReached;
    uint16_t previous = 0;
    for (const EvdevKeyRow& row : kEvdevKeyTable) {
        EXPECT_GT(row.code, previous) << "the table is looked up by binary search";
        previous = row.code;
        const int keyRow = FindKeyRowByScan(row.scan, row.extended);
        ASSERT_GE(keyRow, 0) << "evdev code " << row.code << " names no key";
        EXPECT_TRUE(rowsReached.insert(keyRow).second) << "two codes for " << KeyCodeTable[keyRow].name;
    }
    EXPECT_EQ(rowsReached.size(), static_cast<size_t>(kCapturableKeyRows));
}

TEST(EvdevKeys, KnownKeysAndKeysWithoutARow) {
    const auto nameOf = [](uint16_t code) {
        const auto scan = ScanFromEvdev(code);
        return scan ? KeyCodeTable[FindKeyRowByScan(scan->scan, scan->extended)].name : "";
    };
    EXPECT_EQ(nameOf(30), "keyboard_key_A");
    EXPECT_EQ(nameOf(97), "keyboard_key_RCtrl");
    EXPECT_EQ(nameOf(58), "keyboard_key_Caplk");
    EXPECT_EQ(nameOf(69), "keyboard_key_Num Lock");
    EXPECT_EQ(nameOf(119), "keyboard_key_Pause");
    EXPECT_EQ(nameOf(96), "keyboard_key_Num Enter");
    for (uint16_t media : {113, 114, 115, 163, 164, 165, 0, 84, 0xFFFF})
        EXPECT_FALSE(ScanFromEvdev(media)) << media;
    EXPECT_EQ(ScanFromXkbKeycode(38), ScanFromEvdev(30));
    EXPECT_FALSE(ScanFromXkbKeycode(7));
    EXPECT_FALSE(ScanFromXkbKeycode(0x10007));
}

}  // namespace
}  // namespace halvern
