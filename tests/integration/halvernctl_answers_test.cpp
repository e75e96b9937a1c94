// What halvernctl answers to lines it used to answer badly: the exit code and the one line that says what
// happened, each line run in-process against the four emulated devices.

#include <gtest/gtest.h>

#include "cli/keyboard_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/profile_command.h"
#include "cli/shared_commands.h"
#include "ctl_fixture.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{
    {"light", runLightCommand},     {"custom-color", runCustomColorCommand},
    {"macro", runMacroCommand},     {"flags", runFlagsCommand},
    {"repeat", runRepeatCommand},   {"profile", runProfileCommand},
    {"list", runListCommand},       {"dpi", runDpiCommand},
    {"polling", runPollingCommand},
};

class HalvernctlAnswersTest : public CtlFixture {
protected:
    HalvernctlAnswersTest() : CtlFixture(kCommands) {}

    void SetUp() override {
        for (const emu::Product product :
             {emu::Product::Mouse, emu::Product::Keyboard, emu::Product::MousePad, emu::Product::Headset}) {
            ASSERT_TRUE(emulator.attach(product, emu::Attachment::Cable));
        }
    }
};

/// A command line, its exit code, and a piece of the line it must print on stderr (an error) or stdout.
struct Answer {
    std::vector<std::string> words;
    int code;
    std::string said;
};

TEST_F(HalvernctlAnswersTest, EachLineGetsItsExitCodeAndOneLineSayingWhy) {
    const std::string missing = (data.path() / "missing.json").string();
    const std::vector<Answer> answers{
        // A kind no command takes: every kind light takes is named.
        {{"light", "--device", "nonsense", "--mode", "1"},
         kExitUsage,
         "--device takes mouse, keyboard, mousepad or headset, not 'nonsense'"},
        {{"polling", "--device", "nonsense", "1"},
         kExitUsage,
         "--device takes mouse or keyboard, not 'nonsense'"},
        // Two of the three colour choices at once, in either order, and one without its words.
        {{"custom-color", "--all", "ff0000", "--off"},
         kExitUsage,
         "--all and --off cannot be given together: give one of --all, --key or --off"},
        {{"custom-color", "--off", "--all", "ff0000"},
         kExitUsage,
         "--off and --all cannot be given together"},
        {{"custom-color", "--key", "W", "--all", "ff0000"},
         kExitUsage,
         "--key and --all cannot be given together"},
        {{"custom-color", "--all"}, kExitUsage, "--all takes a colour RRGGBB"},
        {{"custom-color", "--off", "now"}, kExitUsage, "--off takes no value"},
        // A recording says which option it misses, and takes every option it lists.
        {{"macro", "record", "1"}, kExitUsage, "--seconds is missing: record takes --seconds N (1-3600)"},
        {{"macro", "record", "--seconds", "1"},
         kExitUsage,
         "record takes the macro's position before its options"},
        {{"macro", "record", "1", "--timing", "ignore", "--append", "--before", "1", "--seconds", "1"},
         kExitUsage,
         "1"},  // past the options: the list holds no macro to record into
        // A file that is not there is said so, as a refusal.
        {{"profile", "mouse", "import", missing},
         kExitDeviceError,
         "halvernctl: cannot import " + missing + ": no such file\n"},
        {{"profile", "mouse", "import", data.path().string()}, kExitDeviceError, ": it is not a file\n"},
        // Roles by name.
        {{"list"}, kExitOk, " 4  type 2 (mouse)              command       320f:221c"},
        {{"list"}, kExitOk, "type 1 (keyboard)           notification  320f:5055"},
        // A DPI the mouse's steps cannot give exactly.
        {{"dpi", "1", "--dpi", "1234"},
         kExitOk,
         "written to the mouse; asked 1234 DPI, the mouse's step gives 1200 DPI\n"},
        {{"dpi", "1", "--dpi", "1200", "--y-dpi", "1250"},
         kExitOk,
         "; asked 1250 DPI for Y, the mouse's step gives 1200 DPI\n"},
        {{"dpi", "1", "--dpi", "50"}, kExitOk, "; asked 50 DPI, the mouse's lowest is 200 DPI\n"},
    };
    for (const Answer& a : answers) {
        const CtlRun r = run(a.words);
        std::string line;
        for (const std::string& w : a.words) line += w + ' ';
        EXPECT_EQ(r.code, a.code) << line << r.err;
        const std::string& said = a.code == kExitOk ? r.out : r.err;
        EXPECT_NE(said.find(a.said), std::string::npos) << line << "\n" << said;
        if (a.code != kExitOk) {
            EXPECT_EQ(lineCount(r.err), 1u) << line << r.err;
            EXPECT_EQ(r.err.rfind("halvernctl", 0), 0u) << line << r.err;
        }
    }
    // A DPI the steps give exactly is taken without a word about it.
    const CtlRun exact = run({"dpi", "1", "--dpi", "1200"});
    EXPECT_EQ(exact.code, kExitOk) << exact.err;
    EXPECT_EQ(exact.out.find("asked"), std::string::npos) << exact.out;
    // JSON carries the same: the DPI asked beside the stage the mouse took.
    Json::Value json = runJson({"dpi", "1", "--dpi", "1234"});
    EXPECT_EQ(json["askedDpiX"].asInt(), 1234);
    EXPECT_EQ(json["stage"]["dpiX"].asInt(), 1200);
    EXPECT_FALSE(json.isMember("askedDpiY"));
    EXPECT_FALSE(runJson({"dpi", "1", "--dpi", "1200"}).isMember("askedDpiX"));
}

// Without options, flags and repeat say what the keyboard holds, in text and in JSON.
TEST_F(HalvernctlAnswersTest, FlagsAndRepeatWithoutOptionsShowTheCurrentValues) {
    ASSERT_EQ(run({"flags", "--w", "1", "--key6", "1"}).code, kExitOk);
    ASSERT_EQ(run({"repeat", "--rate", "7", "--delay", "2"}).code, kExitOk);

    CtlRun r = run({"flags"});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "flags: win-lock 0, w 1, key6 1\n");
    r = run({"repeat"});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "repeat: rate 7, delay 2\n");

    Json::Value json = runJson({"flags"});
    EXPECT_EQ(json["winLock"].asInt(), 0);
    EXPECT_EQ(json["wFlag"].asInt(), 1);
    EXPECT_EQ(json["key6"].asInt(), 1);
    json = runJson({"repeat"});
    EXPECT_EQ(json["repeatRate"].asInt(), 7);
    EXPECT_EQ(json["repeatDelay"].asInt(), 2);
    EXPECT_EQ(json.size(), 2u);
}

}  // namespace
}  // namespace halvern::cli
