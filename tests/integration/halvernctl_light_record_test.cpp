// halvernctl light, show and headset over an emulated mouse pad and headset.

#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{
    {"show", runShowCommand},
    {"light", runLightCommand},
    {"headset", runHeadsetCommand},
};

class HalvernctlLightRecordTest : public CtlFixture {
protected:
    HalvernctlLightRecordTest() : CtlFixture(kCommands) {}
};

TEST_F(HalvernctlLightRecordTest, WritesTheLightAndShowsTheRecordOfEither) {
    const auto pad = emulator.attach(emu::Product::MousePad);
    const auto headset = emulator.attach(emu::Product::Headset);
    ASSERT_TRUE(pad && headset);

    const CtlRun r =
        run({"light", "--device", "mousepad", "--mode", "3", "--speed", "1", "--color", "102030"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const Json::Value shown = runJson({"show", "mousepad"});
    EXPECT_EQ(shown["light"]["mode"].asInt(), 3);
    EXPECT_EQ(shown["light"]["color"].asString(), "102030");
    EXPECT_EQ(shown["record"].asString().substr(9, 2), "01") << "speed level 1, read back from the pad";
    EXPECT_EQ(bytesOf(*pad, emu::Region::Settings, 3, 1), std::vector<uint8_t>{3});  // 4 − speed

    EXPECT_EQ(runJson({"show", "headset"})["device"].asString(), "headset");
    // The direction is the device's own; a mode past the offered ones is refused before anything is sent.
    EXPECT_EQ(run({"light", "--device", "headset", "--mode", "1", "--direction", "1"}).code, kExitUsage);
    EXPECT_EQ(run({"light", "--device=headset", "--mode", "40"}).code, kExitUsage);
    EXPECT_EQ(run({"show", "mousepad", "extra"}).code, kExitUsage);
}

TEST_F(HalvernctlLightRecordTest, HeadsetSoundSettingsGoThroughItsLibrary) {
    ASSERT_TRUE(emulator.attach(emu::Product::Headset));
    const CtlRun mic = run({"headset", "mic", "--on", "0", "--level", "55"});
    ASSERT_EQ(mic.code, kExitOk) << mic.err;
    EXPECT_EQ(mic.out, "microphone: off, level 55\n");
    EXPECT_EQ(run({"headset", "voice", "--type", "5"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "volume"}).code, kExitUsage);
}

}  // namespace
}  // namespace halvern::cli
