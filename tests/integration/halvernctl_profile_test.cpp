// halvernctl's profile commands reach the device: a switch writes the profile to it as the window's does,
// and a switch the device refuses leaves the list on the profile the device still holds.

#include <gtest/gtest.h>

#include "cli/cli_support.h"
#include "cli/mouse_command.h"
#include "cli/profile_command.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"
#include "emulator/emulator.h"

namespace halvern::cli {
namespace {

const CtlCommands kProfileCommands{
    {"show", runShowCommand},
    {"dpi", runDpiCommand},
    {"profile", runProfileCommand},
};

class HalvernctlProfileTest : public CtlFixture {
protected:
    HalvernctlProfileTest() : CtlFixture(kProfileCommands) {}

    void SetUp() override {
        mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
        ASSERT_TRUE(mouse);
        ASSERT_EQ(run({"dpi", "3", "--dpi", "5000"}).code, kExitOk);
    }

    /// Stage 3's DPI as the mouse reports it.
    int stageTwoOnTheMouse() {
        const Json::Value shown = runJson({"show", "mouse"});
        return shown["stages"][2]["dpiX"].asInt();
    }

    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(HalvernctlProfileTest, SwitchingProfilesWritesTheSelectedOneToTheMouse) {
    CtlRun r = run({"profile", "mouse", "add"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "added profile2\nprofile written to the mouse\n");
    EXPECT_EQ(stageTwoOnTheMouse(), 1600) << "the new profile's own stages";

    r = run({"profile", "mouse", "select", "1"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(stageTwoOnTheMouse(), 5000) << "the first profile's stages came back with it";

    r = run({"profile", "mouse", "reset"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(stageTwoOnTheMouse(), 1600) << "the reset profile's stages";

    // Only the files change for what leaves the selected profile alone.
    const unsigned begins = mouse->firmware().commandCount(0x01);
    r = run({"profile", "mouse", "list"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(mouse->firmware().commandCount(0x01), begins);
}

TEST_F(HalvernctlProfileTest, ASwitchTheMouseRefusesLeavesTheListOnTheProfileItHolds) {
    ASSERT_EQ(run({"profile", "mouse", "add"}).code, kExitOk);
    ASSERT_EQ(run({"profile", "mouse", "select", "1"}).code, kExitOk);
    mouse->setFaults({.replyStatus = 0xFF});
    const CtlRun r = run({"profile", "mouse", "select", "2"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err.rfind("halvernctl: the mouse cannot take the profile", 0), 0u) << r.err;
    mouse->setFaults({});
    const CtlRun list = run({"profile", "mouse", "list"});
    EXPECT_EQ(list.out.substr(0, list.out.find('\n')).substr(0, 3), "1\t*") << list.out;
    EXPECT_EQ(stageTwoOnTheMouse(), 5000);
}

}  // namespace
}  // namespace halvern::cli
