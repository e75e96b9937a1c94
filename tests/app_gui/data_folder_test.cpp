// Another program (halvernctl) changes the mouse's profiles while the window runs: the window follows the
// list and the files instead of going on with stale copies.

#include <gtest/gtest.h>

#include <QComboBox>

#include "page_fixture.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_list.h"
#include "ui/pages/mouse_page.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class DataFolderTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(emu::Product::Mouse, [&] { return page() && !page()->mouse().factoryTable().empty(); });
    }
    ui::MousePage* page() { return pageOf<ui::MousePage>(0); }

    // The list as another program sees it.
    ProfileList otherList() {
        ProfileList list;
        list.SetDeviceType(2);
        list.SetPaths(page()->mouse().UserFolder(), page()->mouse().DefaultDataFile());
        list.Init();
        return list;
    }
};

TEST_F(DataFolderTest, AProfileAddedAndSelectedElsewhereBecomesThePagesAndReachesTheMouse) {
    ProfileList list = otherList();
    ASSERT_TRUE(list.AddProfile());
    list.Init();
    ASSERT_TRUE(list.SelectProfile(1));
    const std::string chosen = list.GetCurrentProfileId();
    const unsigned writes = plugged->firmware().commandCount(command::kWriteAt);
    ASSERT_TRUE(waitUntil([&] { return page()->mouse().profileName() == chosen; }, 3000));
    EXPECT_EQ(page()->profileControl()->combo()->count(), 2);
    ASSERT_TRUE(settled(page()));
    EXPECT_GT(plugged->firmware().commandCount(command::kWriteAt), writes);  // the mouse holds it too
}

TEST_F(DataFolderTest, AProfileDeletedElsewhereLeavesTheList) {
    ProfileList list = otherList();
    ASSERT_TRUE(list.AddProfile());
    ASSERT_TRUE(waitUntil([&] { return page()->profileControl()->combo()->count() == 2; }, 3000));
    list.Init();
    ASSERT_TRUE(list.SelectProfile(1));
    ASSERT_TRUE(list.DeleteProfile());
    ASSERT_TRUE(waitUntil([&] { return page()->profileControl()->combo()->count() == 1; }, 3000));
    EXPECT_EQ(page()->mouse().profileName(), otherList().GetCurrentProfileId());
}

TEST_F(DataFolderTest, AProfileWrittenElsewhereIsReadAgainBeforeTheWindowSavesOverIt) {
    CMouseProfiledata other;
    other.SetDefaultPath(page()->mouse().DefaultDataFile());
    const auto path = page()->mouse().profile().GetProfilePath();
    other.SetProfilePath(path);
    EXPECT_TRUE(other.LoadDeviceRecord(path));
    other.SetActiveStage(4);  // what halvernctl dpi-active 4 writes
    ASSERT_TRUE(other.Save());
    ASSERT_TRUE(waitUntil([&] { return page()->mouse().settings().activeStage == 4; }, 3000));

    // A change in the window now keeps the other program's stage.
    page()->PollingSelected(1);
    ASSERT_TRUE(settled(page()));
    CMouseProfiledata reread;
    reread.SetDefaultPath(page()->mouse().DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(path));
    (void)reread.GetDpiStages();  // reads the active stage with the stages
    EXPECT_EQ(reread.GetActiveStage(), 4);
    EXPECT_EQ(reread.GetMouseSystem().reportRate, 1);
}

}  // namespace
}  // namespace halvern::app
