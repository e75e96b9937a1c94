#include "app/routing.h"

#include <gtest/gtest.h>

namespace halvern::app {
namespace {

TEST(Routing, ExactNamesIgnoreCaseUnlessMarked) {
    auto r = routeNotification("click", "CloseBtn");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::CloseWindow);
    EXPECT_EQ(r->index, -1);

    r = routeNotification("selectchanged", "WFLAG_OPTION");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::KeyboardFlag);
    EXPECT_EQ(r->variant, 1);

    ASSERT_TRUE(routeNotification("click", "macro_inset_moveleftkey_btn"));
    EXPECT_FALSE(routeNotification("click", "macro_inset_moveLeftkey_btn"));
    ASSERT_TRUE(routeNotification("click", "profile_fun_spread_btn"));
    EXPECT_FALSE(routeNotification("click", "Profile_fun_spread_btn"));
}

TEST(Routing, PrefixNamesCarryTheirIndex) {
    auto r = routeNotification("valuechanged", "DPI_slider_2");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::DpiSlider);
    EXPECT_EQ(r->index, 2);

    r = routeNotification("movevaluechanged", "zantor_DPI_slider_5");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::DpiSliderMoving);
    EXPECT_EQ(r->variant, 0);
    EXPECT_EQ(r->index, 5);

    r = routeNotification("click", "KEY_169");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::KeyButton);
    EXPECT_EQ(r->index, 169);

    // The exact name wins over a prefix that would also split it.
    r = routeNotification("click", "key_butt_keysave");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->operation, Operation::KeyAssignmentButton);
}

TEST(Routing, TheTypeSelectsTheTable) {
    EXPECT_FALSE(routeNotification("valuechanged", "closebtn"));
    EXPECT_FALSE(routeNotification("click", "DPI_slider_2"));
    EXPECT_FALSE(routeNotification("timer", "closebtn"));
    EXPECT_FALSE(routeNotification("msenter", "closebtn"));
    EXPECT_EQ(routeNotification("windowinit", "anything")->operation, Operation::WindowInit);
    EXPECT_FALSE(routeNotification("windowsize", "other"));
    EXPECT_TRUE(skipsDefaultHandling("click_wpedit"));
    EXPECT_FALSE(skipsDefaultHandling("click_wpadd"));
}

TEST(Routing, MalformedIndicesAreNotRouted) {
    for (const char* name : {"DPI_slider_", "DPI_slider_x", "DPI_slider_-1", "DPI_slider_2a",
                             "DPI_slider_99999999999", "DPI_slider", "_", ""}) {
        EXPECT_FALSE(routeNotification("valuechanged", name)) << name;
    }
}

}  // namespace
}  // namespace halvern::app
