#include "app/light_mode_requests.h"

#include <gtest/gtest.h>

namespace halvern::app {
namespace {

constexpr size_t kModes = 31;

LightSetting inMode(uint8_t mode) {
    LightSetting light;
    light.mode = mode;
    return light;
}

// The page follows each request; the clock says when it returns.
struct Page {
    LightModeRequests requests;
    std::optional<LightSetting> light = inMode(3);

    void request(int64_t kind, int64_t mode, int64_t now) {
        if (auto next = requests.request(kind, mode, light, kModes, now)) light = next;
    }
    void tick(int64_t now) {
        if (auto next = requests.returnAt(now, light, kModes)) light = next;
    }
};

TEST(LightModeRequests, KindZeroShowsTheModeAndReturnsAfterFiveSeconds) {
    Page page;
    page.request(0, 5, 1000);
    EXPECT_EQ(page.light->mode, 5);
    EXPECT_EQ(page.requests.returnDue(), 6000);
    page.tick(5999);
    EXPECT_EQ(page.light->mode, 5);
    page.tick(6000);
    EXPECT_EQ(page.light->mode, 3);
    EXPECT_EQ(page.requests.returnDue(), LightModeRequests::kNone);
}

TEST(LightModeRequests, ASecondKindZeroRemembersTheFirstRequestsMode) {
    Page page;
    page.request(0, 5, 0);
    page.request(0, 6, 2000);
    page.tick(5000);  // the first request's return was moved on
    EXPECT_EQ(page.light->mode, 6);
    page.tick(7000);
    EXPECT_EQ(page.light->mode, 5);
}

TEST(LightModeRequests, KindsOneAndTwoKeepTheRememberedMode) {
    Page page;
    page.light->previousMode = 9;
    page.request(1, 5, 0);
    page.request(2, 7, 100);
    EXPECT_EQ(page.light->mode, 7);
    page.tick(5100);
    EXPECT_EQ(page.light->mode, 9);
}

TEST(LightModeRequests, OddRequestsLeaveThePageButStillMoveTheReturn) {
    Page page;
    page.light = inMode(0);
    page.request(0, 0x105, 0);  // only the low byte counts; mode 0 is remembered as 1
    EXPECT_EQ(page.light->mode, 5);
    EXPECT_EQ(page.light->previousMode, 1);
    page.request(3, 6, 1000);    // an unknown kind
    page.request(0, 200, 2000);  // a mode the device does not have
    page.request(-1, 6, 3000);
    EXPECT_EQ(page.light->mode, 5);
    EXPECT_EQ(page.requests.returnDue(), 8000);

    LightModeRequests withoutPage;
    EXPECT_FALSE(withoutPage.request(0, 5, std::nullopt, kModes, 0));
    EXPECT_FALSE(withoutPage.returnAt(5000, std::nullopt, kModes));
    LightSetting broken = inMode(3);
    broken.previousMode = 250;  // a profile's stored mode is not trusted
    EXPECT_FALSE(LightModeRequests{}.returnAt(0, broken, kModes));
    EXPECT_TRUE(IsLightModeRequest("Game_Death"));
    EXPECT_FALSE(IsLightModeRequest("game_start"));
}

}  // namespace
}  // namespace halvern::app
