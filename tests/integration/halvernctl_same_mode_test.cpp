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
    EXPECT_EQ(pad.err, "halvernctl: same-mode: no mouse pad is attached\n");
    EXPECT_EQ(run({"light", "--device", "headset", "--mode", "1"}).code, kExitDeviceError);
}

// The mouse pad and the headset give and take the shared effect as the keyboard and the mouse do.
TEST_F(HalvernctlSameModeTest, TheMousePadAndTheHeadsetGiveAndTakeTheEffect) {
    ASSERT_TRUE(emulator.attach(emu::Product::MousePad));
    ASSERT_TRUE(emulator.attach(emu::Product::Headset));
    ASSERT_EQ(run({"light", "--device", "mousepad", "--mode", "4", "--brightness", "3", "--speed", "2",
                   "--color", "102030"})
                  .code,
              kExitOk);
    CtlRun r = run({"same-mode", "--from", "mousepad"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(lineCount(r.out), 4u) << r.out;  // keyboard, mouse, mouse pad, headset
    EXPECT_EQ(runJson({"show", "keyboard"})["light"]["mode"].asInt(), 23);
    EXPECT_EQ(runJson({"show", "mouse"})["light"]["mode"].asInt(), 4);
    const Json::Value headset = runJson({"show", "headset"})["light"];
    EXPECT_EQ(headset["mode"].asInt(), 4);
    EXPECT_EQ(headset["brightness"].asInt(), 3);
    EXPECT_EQ(headset["color"].asString(), "102030");

    ASSERT_EQ(run({"light", "--device", "headset", "--mode", "1"}).code, kExitOk);  // spectrum
    r = run({"same-mode", "--from", "headset"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(runJson({"show", "keyboard"})["light"]["mode"].asInt(), 4);
    EXPECT_EQ(runJson({"show", "mouse"})["light"]["mode"].asInt(), 1);
    EXPECT_EQ(runJson({"show", "mousepad"})["light"]["mode"].asInt(), 1);
}

// A multicolour flag the source's mode greys out (the mouse's static light) is not given on: the keyboard
// shows one colour, as the shared animation does.
TEST_F(HalvernctlSameModeTest, OnlyWhatTheSharedEffectMeansIsCopied) {
    ASSERT_EQ(run({"light", "--device", "keyboard", "--mode", "5", "--multicolor", "1"}).code, kExitOk);
    ASSERT_EQ(
        run({"light", "--device", "mouse", "--mode", "3", "--multicolor", "1", "--color", "405060"}).code,
        kExitOk);
    const CtlRun r = run({"same-mode", "--from", "mouse"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const Json::Value keyboardLight = runJson({"show", "keyboard"})["light"];
    EXPECT_EQ(keyboardLight["mode"].asInt(), 6);
    EXPECT_EQ(keyboardLight["multicolor"].asInt(), 0);
    EXPECT_EQ(keyboardLight["color"].asString(), "405060");
}

}  // namespace
}  // namespace halvern::cli
