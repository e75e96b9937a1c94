#include "input/assignment_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halvern {
namespace {

using Ids = std::vector<std::string_view>;

std::optional<AssignmentText> text(uint8_t type, uint8_t c1, uint8_t c2,
                                   const std::vector<std::string>& macros = {}) {
    return AssignmentTextFor(type, c1, c2, macros);
}

Ids idsOf(uint8_t type, uint8_t c1, uint8_t c2) {
    const auto t = text(type, c1, c2);
    return t ? t->textIds : Ids{"<none>"};
}

TEST(AssignmentText, KeyboardCodesJoinModifierAndKey) {
    EXPECT_EQ(idsOf(0x20, 0x00, 0x04), (Ids{"keyboard_key_A"}));
    EXPECT_EQ(idsOf(0x20, 0x10, 0x00), (Ids{"keyboard_key_RCtrl"}));
    EXPECT_EQ(idsOf(0x20, 0x01, 0x04), (Ids{"keyboard_key_LCtrl", "keyboard_key_A"}));
    EXPECT_EQ(idsOf(0x20, 0x40, 0x29), (Ids{"keyboard_key_RAlt", "keyboard_key_Esc"}));
    // Every modifier of the mask is named, lowest bit first, then the key.
    EXPECT_EQ(idsOf(0x20, 0x03, 0x06), (Ids{"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_C"}));
    EXPECT_EQ(idsOf(0x20, 0x05, 0x00), (Ids{"keyboard_key_LCtrl", "keyboard_key_LAlt"}));
    EXPECT_EQ(idsOf(0x20, 0x03, 0xF0), (Ids{"<none>"}));  // a key without a name names nothing
    // A zero byte means "none" and names nothing.
    EXPECT_EQ(idsOf(0x20, 0x00, 0xF0), (Ids{"<none>"}));
    // The plain lookup ignores the type: a default code with a consumer usage is named by its key.
    EXPECT_EQ(idsOf(0x00, 0x83, 0x01), (Ids{"keyboard_key_Launch Media Select"}));
    EXPECT_EQ(idsOf(0x00, 0x00, 0x00), (Ids{"close_text"}));
    EXPECT_EQ(idsOf(0x20, 0x00, 0x00), (Ids{"close_text"}));
}

TEST(AssignmentText, MouseAndDeviceFunctions) {
    EXPECT_EQ(idsOf(0x10, 0x02, 0x00), (Ids{"mouse_key_right"}));
    EXPECT_EQ(idsOf(0x10, 0x20, 0x00), (Ids{"<none>"}));
    EXPECT_EQ(idsOf(0x11, 0x23, 0x85), (Ids{"mouse_key_right_Swing"}));
    EXPECT_EQ(idsOf(0x11, 0x23, 0x05), (Ids{"mouse_key_left_Swing"}));
    EXPECT_EQ(idsOf(0x12, 0x23, 0xFB), (Ids{"mouse_key_down_Swing"}));
    EXPECT_EQ(idsOf(0x12, 0x23, 0x05), (Ids{"mouse_key_up_Swing"}));
    EXPECT_EQ(idsOf(0x13, 0x03, 0x00), (Ids{"mouse_key_DPI_loop"}));
    EXPECT_EQ(idsOf(0x14, 0x10, 0x05), (Ids{"mouse_key_fire_key"}));
    EXPECT_EQ(idsOf(0x16, 0x00, 0x00), (Ids{"mouse_key_DPI_shift"}));
    EXPECT_EQ(idsOf(0x22, 0x00, 0x08), (Ids{"custem_open"}));
    EXPECT_EQ(idsOf(0x22, 0x00, 0x09), (Ids{"<none>"}));
    EXPECT_EQ(idsOf(0x23, 0x00, 0x00), (Ids{"show_window"}));
    EXPECT_EQ(idsOf(0x23, 0x01, 0x00), (Ids{"<none>"}));
    EXPECT_EQ(idsOf(0x30, 0x83, 0x01), (Ids{"media_text"}));
    EXPECT_EQ(idsOf(0x30, 0x83, 0x02), (Ids{"<none>"}));
    EXPECT_EQ(idsOf(0x40, 0x04, 0x00), (Ids{"system_wake_up"}));
    EXPECT_EQ(idsOf(0x72, 0x03, 0x00), (Ids{"gun_4_txt"}));
    EXPECT_EQ(idsOf(0x72, 0x04, 0x00), (Ids{"<none>"}));
}

TEST(AssignmentText, SpecialAndUnknownTypes) {
    EXPECT_EQ(idsOf(0xA0, 0x02, 0x00), (Ids{"mouse_key_smart_key"}));
    EXPECT_EQ(idsOf(0xA0, 0x00, 0x00), (Ids{"close_text"}));
    EXPECT_EQ(idsOf(0xA0, 0x01, 0x00), (Ids{"keyboard_key_FN"}));
    EXPECT_EQ(idsOf(0xA0, 0x1B, 0x00), (Ids{"keyboard_key_GM"}));
    EXPECT_EQ(idsOf(0xA0, 0x05, 0x00), (Ids{"<none>"}));
    for (uint8_t silent : {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0})
        EXPECT_FALSE(text(silent, 1, 1)) << int(silent);
    for (uint8_t other : {0x01, 0x73, 0xD0, 0xFF}) {
        const auto t = text(other, 0x01, 0x02);
        ASSERT_TRUE(t) << int(other);
        EXPECT_TRUE(t->textIds.empty());
        EXPECT_EQ(t->literal, "关闭");
    }
}

TEST(AssignmentText, MacrosAreNamedFromTheListOnlyWithinIt) {
    const std::vector<std::string> macros{"macro_1", "Jump"};
    EXPECT_EQ(text(0x70, 1, 0, macros), (AssignmentText{{}, "Jump"}));
    EXPECT_EQ(text(0x71, 0, 5, macros), (AssignmentText{{}, "macro_1"}));
    EXPECT_FALSE(text(0x70, 2, 0, macros));
    EXPECT_FALSE(text(0x71, 0, 0, {}));
}

}  // namespace
}  // namespace halvern
