// halvernctl light, show and headset over an emulated mouse pad and headset.

#include "cli/info_command.h"
#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{
    {"show", runShowCommand},
    {"light", runLightCommand},
    {"headset", runHeadsetCommand},
    {"info", runInfoCommand},
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
    // A voice is shown by its name, the number --type takes beside it.
    const CtlRun voice = run({"headset", "voice", "--type", "2"});
    ASSERT_EQ(voice.code, kExitOk) << voice.err;
    EXPECT_EQ(voice.out, "voice effect: off, Monster (type 2)\n");
    EXPECT_EQ(runJson({"headset", "voice"})["name"].asString(), "Monster");
    EXPECT_EQ(run({"headset", "voice", "--type", "5"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "volume"}).code, kExitUsage);
}

// The equaliser's commands as the page's edits, their refusals each with its own line, and one frame.
TEST_F(HalvernctlLightRecordTest, HeadsetEqualiserCommandsAndOneFrame) {
    const auto headset = emulator.attach(emu::Product::Headset);
    ASSERT_TRUE(headset);
    CtlRun r = run({"headset", "eq", "3"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "equaliser: preset 3, bands 10 4 0 -3 -4 -3 -2 -1 0 0\n");
    EXPECT_EQ(run({"headset", "eq", "custom"}).out,
              "equaliser: custom (no saved one chosen), bands 10 4 0 -3 -4 -3 -2 -1 0 0\n")
        << "the custom EQ starts from the bands playing";

    r = run({"headset", "custom-eq", "save"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err,
              "halvernctl: headset: no name was given and no custom equaliser is chosen to save over\n");
    ASSERT_EQ(run({"headset", "custom-eq", "save", "Mine"}).code, kExitOk);
    r = run({"headset", "custom-eq", "save", "MINE"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
    EXPECT_EQ(run({"headset", "custom-eq", "list"}).out, "* 1 Mine\n");
    EXPECT_EQ(run({"headset", "band", "11", "1"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "band", "0", "1"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "eq", "13"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "custom-eq", "save", std::string(41, 'x')}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "custom-eq", "save", "tab\there"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "custom-eq", "list"}).out, "* 1 Mine\n");
    r = run({"headset", "custom-eq", "select", "3"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err.rfind("halvernctl: headset: select INDEX takes 1-1, not '3';", 0), 0u) << r.err;
    EXPECT_EQ(run({"headset", "custom-eq", "delete", "0"}).code, kExitUsage);
    EXPECT_EQ(run({"headset", "custom-eq", "delete", "1"}).out,
              "equaliser: preset 1, bands 7 11 2 -3 -1 4 9 12 9 5\n");

    const size_t before = headset->firmware().ledReportCount();
    r = run({"headset", "frame"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(headset->firmware().ledReportCount() - before, 12u);

    r = run({"info", "headset"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("sound library: ready\n"), std::string::npos) << r.out;
}

// A frame sent by hand shows the headset's light, also when it is sent right after the page opened.
TEST_F(HalvernctlLightRecordTest, OneHeadsetFrameCarriesTheLightSetting) {
    const auto headset = emulator.attach(emu::Product::Headset);
    ASSERT_TRUE(headset);
    CtlRun r = run({"light", "--device", "headset", "--mode", "3", "--brightness", "4", "--color", "204060"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    r = run({"headset", "frame"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto reports = headset->firmware().ledReports();
    ASSERT_GE(reports.size(), 12u);
    const auto frame = std::span(reports).last(12);
    // Red, green and blue of LED 0 (registers 0xAA, 0xAB, 0xAC of controller 0x22), scaled by the level.
    ASSERT_EQ(frame[0][2], 0xAA);
    EXPECT_GT(frame[0][4], 0x18);
    EXPECT_LE(frame[0][4], 0x20);
    EXPECT_GT(frame[4][4], frame[0][4]);
    EXPECT_GT(frame[8][4], frame[4][4]);
    EXPECT_EQ(frame[11][9], frame[8][4]) << "LED 12 shows what LED 0 shows";
}

}  // namespace
}  // namespace halvern::cli
