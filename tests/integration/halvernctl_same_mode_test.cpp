// halvernctl same-mode over an emulated keyboard and mouse: the source's effect reaches every device's
// record and profile mapped onto its own modes, or nothing is written at all.

#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"

namespace halvern::cli {
namespace {

using emu::Region;

const CtlCommands kCommands{
    {"show", runShowCommand},
    {"light", runLightCommand},
    {"same-mode", runSameModeCommand},
};

class HalvernctlSameModeTest : public CtlFixture {
protected:
    HalvernctlSameModeTest() : CtlFixture(kCommands) {}

    void SetUp() override {
        keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
        mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
        ASSERT_TRUE(keyboard && mouse);
    }
    std::vector<uint8_t> settings(const emu::VirtualDevice& device) const {
        return bytesOf(device, Region::Settings, 0, 27);
    }

    std::shared_ptr<emu::VirtualDevice> keyboard;
    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(HalvernctlSameModeTest, KeyboardBlinkBecomesTheMouseBlinkWithTheSharedColour) {
    ASSERT_EQ(run({"light", "--device", "keyboard", "--mode", "23", "--brightness", "2", "--speed", "1",
                   "--multicolor", "0", "--color", "102030"})
                  .code,
              kExitOk);
    const CtlRun r = run({"same-mode", "--from", "keyboard"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(lineCount(r.out), 2u) << r.out;  // keyboard first, then mouse

    const Json::Value light = runJson({"show", "mouse"})["light"];  // read back from the mouse's record
    EXPECT_EQ(light["mode"].asInt(), 4);
    EXPECT_EQ(light["brightness"].asInt(), 2);
    EXPECT_EQ(light["speed"].asInt(), 1);
    EXPECT_EQ(light["multicolor"].asInt(), 0);
    EXPECT_EQ(light["color"].asString(), "102030");
    EXPECT_EQ(runJson({"show", "keyboard"})["light"]["mode"].asInt(), 23);
}

TEST_F(HalvernctlSameModeTest, AModeWithoutSharedEffectWritesNothing) {
    ASSERT_EQ(run({"light", "--device", "mouse", "--mode", "5"}).code, kExitOk);
    const auto keyboardBefore = settings(*keyboard);
    const auto mouseBefore = settings(*mouse);
    const CtlRun r = run({"same-mode", "--from", "mouse"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_NE(r.err.find("no effect the other devices share"), std::string::npos) << r.err;
    EXPECT_EQ(settings(*keyboard), keyboardBefore);
    EXPECT_EQ(settings(*mouse), mouseBefore);

    EXPECT_EQ(run({"same-mode"}).code, kExitUsage);
    EXPECT_EQ(run({"same-mode", "--from", "toaster"}).code, kExitUsage);
    const CtlRun pad = run({"same-mode", "--from", "mousepad"});
    EXPECT_EQ(pad.code, kExitDeviceError);
    EXPECT_EQ(pad.err, "halvernctl same-mode: no mouse pad is attached\n");
    EXPECT_EQ(run({"light", "--device", "headset", "--mode", "1"}).code, kExitDeviceError);
}

}  // namespace
}  // namespace halvern::cli
