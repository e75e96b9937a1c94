#include "input/evdev_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <set>
#include <utility>

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

// Each evdev key code with the HID usage (Keyboard/Keypad page) that the kernel's HID input layer turns
// into that code; modifiers as their usages 0xE0-0xE7.
constexpr std::array<std::pair<uint16_t, uint8_t>, 113> kUsageOfEvdevCode{{
    {1, 0x29},   {2, 0x1E},   {3, 0x1F},   {4, 0x20},   {5, 0x21},   {6, 0x22},   {7, 0x23},   {8, 0x24},
    {9, 0x25},   {10, 0x26},  {11, 0x27},  {12, 0x2D},  {13, 0x2E},  {14, 0x2A},  {15, 0x2B},  {16, 0x14},
    {17, 0x1A},  {18, 0x08},  {19, 0x15},  {20, 0x17},  {21, 0x1C},  {22, 0x18},  {23, 0x0C},  {24, 0x12},
    {25, 0x13},  {26, 0x2F},  {27, 0x30},  {28, 0x28},  {29, 0xE0},  {30, 0x04},  {31, 0x16},  {32, 0x07},
    {33, 0x09},  {34, 0x0A},  {35, 0x0B},  {36, 0x0D},  {37, 0x0E},  {38, 0x0F},  {39, 0x33},  {40, 0x34},
    {41, 0x35},  {42, 0xE1},  {43, 0x31},  {44, 0x1D},  {45, 0x1B},  {46, 0x06},  {47, 0x19},  {48, 0x05},
    {49, 0x11},  {50, 0x10},  {51, 0x36},  {52, 0x37},  {53, 0x38},  {54, 0xE5},  {55, 0x55},  {56, 0xE2},
    {57, 0x2C},  {58, 0x39},  {59, 0x3A},  {60, 0x3B},  {61, 0x3C},  {62, 0x3D},  {63, 0x3E},  {64, 0x3F},
    {65, 0x40},  {66, 0x41},  {67, 0x42},  {68, 0x43},  {69, 0x53},  {70, 0x47},  {71, 0x5F},  {72, 0x60},
    {73, 0x61},  {74, 0x56},  {75, 0x5C},  {76, 0x5D},  {77, 0x5E},  {78, 0x57},  {79, 0x59},  {80, 0x5A},
    {81, 0x5B},  {82, 0x62},  {83, 0x63},  {86, 0x64},  {87, 0x44},  {88, 0x45},  {89, 0x87},  {92, 0x8A},
    {93, 0x88},  {94, 0x8B},  {96, 0x58},  {97, 0xE4},  {98, 0x54},  {99, 0x46},  {100, 0xE6}, {102, 0x4A},
    {103, 0x52}, {104, 0x4B}, {105, 0x50}, {106, 0x4F}, {107, 0x4D}, {108, 0x51}, {109, 0x4E}, {110, 0x49},
    {111, 0x4C}, {119, 0x48}, {121, 0x85}, {122, 0x90}, {123, 0x91}, {124, 0x89}, {125, 0xE3}, {126, 0xE7},
    {127, 0x65},
}};

// A key pressed on a Linux keyboard must be recorded and assigned as the key the keyboard sends over USB.
TEST(EvdevKeys, EveryCodeNamesTheKeyOfItsHidUsage) {
    ASSERT_EQ(kUsageOfEvdevCode.size(), kEvdevKeyTable.size());
    for (const auto& [code, usage] : kUsageOfEvdevCode) {
        const std::optional<ScanCode> scan = ScanFromEvdev(code);
        ASSERT_TRUE(scan) << "evdev code " << code;
        const int row = FindKeyRowByScan(scan->scan, scan->extended);
        ASSERT_GE(row, 0) << "evdev code " << code;
        const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
        constexpr uint8_t kFirstModifierUsage = 0xE0;
        const uint8_t keyUsage =
            key.code2 != 0 ? key.code2
                           : static_cast<uint8_t>(kFirstModifierUsage + std::countr_zero(key.code1));
        EXPECT_EQ(keyUsage, usage) << "evdev code " << code << " gives " << key.name;
    }
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
