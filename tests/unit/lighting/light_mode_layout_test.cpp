#include "lighting/light_mode_layout.h"

#include <gtest/gtest.h>

namespace halvern {
namespace {

constexpr ControlState E = ControlState::Enabled;
constexpr ControlState D = ControlState::Disabled;
constexpr ControlState U = ControlState::Unchanged;

using Areas = std::array<ControlState, kLightAreaCount>;

TEST(LightModeLayout, KeyboardSoundModesShowTheirListsAndHideSpeed) {
    const LightModeLayoutPlan game = LightModeLayout(1, 17);
    EXPECT_EQ(game.areas, (Areas{D, D, D, E, E, D}));
    EXPECT_TRUE(game.speedHidden);
    EXPECT_TRUE(game.gameColourListShown);
    EXPECT_FALSE(game.colourAreaEnabled);
    EXPECT_EQ(game.colourPage, 0);

    const LightModeLayoutPlan music = LightModeLayout(1, 29);
    EXPECT_EQ(music.areas, (Areas{E, E, E, E, D, E}));  // direction keeps the enabled start
    EXPECT_TRUE(music.speedHidden);
    EXPECT_TRUE(music.audioModeListShown);
    EXPECT_EQ(music.colourPage, 1);
    EXPECT_FALSE(music.sameModeOffered);

    // The sound companion's colour is offered where sound drives the lights, and only there.
    for (const auto& [type, value] : {std::pair{1, 29}, std::pair{1, 30}, std::pair{2, 11}})
        EXPECT_TRUE(LightModeLayout(type, value).soundColourShown) << type << " " << value;
    EXPECT_FALSE(game.soundColourShown);
    EXPECT_FALSE(LightModeLayout(2, 10).soundColourShown);
}

TEST(LightModeLayout, OffModesDisableAllButTheListAndOfferSameMode) {
    for (const auto& [type, value] :
         {std::pair{3, 8}, std::pair{4, 8}, std::pair{7, 8}, std::pair{2, 10}, std::pair{1, 28}}) {
        const LightModeLayoutPlan plan = LightModeLayout(type, value);
        EXPECT_EQ(plan.effectList, E) << type;
        EXPECT_EQ(plan.areas, (Areas{D, D, D, D, D, D})) << type << " " << value;
        EXPECT_TRUE(plan.sameModeOffered) << type;
    }
}

TEST(LightModeLayout, DirectionTextsFollowKindAndMode) {
    EXPECT_EQ(LightModeLayout(1, 1).direction.first, "light_set_right_to_left_text");
    EXPECT_EQ(LightModeLayout(1, 24).direction.first, "light_set_clockwise_text");
    EXPECT_EQ(LightModeLayout(1, 21).direction.second, "light_set_down_to_up_text");
    EXPECT_EQ(LightModeLayout(1, 18).direction.first, "light_set_inside_to_outside_text");
    EXPECT_EQ(LightModeLayout(2, 0).direction.first, "light_set_down_to_up_text");
    EXPECT_EQ(LightModeLayout(5, 0).direction.first, "light_set_right_to_left_text");
}

TEST(LightModeLayout, UnknownValuesAndKinds) {
    const LightModeLayoutPlan unknown = LightModeLayout(1, 19);
    EXPECT_EQ(unknown.areas, (Areas{D, D, D, D, D, D}));
    EXPECT_FALSE(unknown.sameModeOffered);
    EXPECT_EQ(LightModeLayout(2, -1).areas, (Areas{D, D, D, D, D, D}));

    const LightModeLayoutPlan noTable = LightModeLayout(6, 4);  // only what every kind starts with
    EXPECT_EQ(noTable.effectList, U);
    EXPECT_EQ(noTable.areas, (Areas{U, U, U, U, U, E}));
    EXPECT_TRUE(noTable.colourAreaEnabled);

    EXPECT_EQ(LightModeLayout(5, 4).areas, (Areas{D, D, D, E, E, E}));
    EXPECT_FALSE(LightModeLayout(5, 1).sameModeOffered);
    EXPECT_TRUE(LightModeLayout(1, 20).customGroupShown);
}

}  // namespace
}  // namespace halvern
