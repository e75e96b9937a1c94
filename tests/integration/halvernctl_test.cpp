// halvernctl's commands, run in-process on emulated devices.

#include <gtest/gtest.h>
#include <json/json.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/backend_factory.h"
#include "cli/cli_support.h"
#include "cli/global_options.h"
#include "cli/info_command.h"
#include "cli/key_names.h"
#include "cli/keyboard_session.h"
#include "cli/list_command.h"
#include "cli/mouse_session.h"
#include "profile/data_folders.h"

namespace halvern::cli {
namespace {

struct CtlRun {
    int code = -1;
    std::string out, err;
};

CtlRun run(const std::vector<std::string>& words) {
    CtlRun r;
    std::ostringstream out, err;
    const auto options = parseGlobalOptions(words, err);
    if (!options) {
        r.code = kExitUsage;
    } else if (auto backend = makeBackend(*options, err)) {
        const CommandContext context{*backend, options->json, out, err};
        r.code = options->command == "list" ? runListCommand(context, options->args)
                                            : runInfoCommand(context, options->args);
    } else {
        r.code = kExitUsage;
    }
    r.out = out.str();
    r.err = err.str();
    return r;
}

size_t lineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class HalvernctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("halvernctl-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        // An emulated device's memory may still be on its way to the state folder from the thread that let
        // go of it last; what is left behind is removed with the next run's SetUp.
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
};

TEST_F(HalvernctlTest, ListShowsEverySlotOfEachFormAttached) {
    const CtlRun r = run({"--emulate", "mouse,mouse-receiver,keyboard", "list"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(lineCount(r.out), 6u);  // command and notification slot of each
    EXPECT_NE(
        r.out.find(" 6  type 6 (mouse receiver)     command       320f:221d  interface 1  collection 4  "
                   "emu:mouse-receiver/1#4"),
        std::string::npos)
        << r.out;

    const CtlRun json = run({"--json", "--emulate=headset", "list"});
    ASSERT_EQ(json.code, kExitOk);
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(json.out, root));
    const Json::Value& rows = root["slots"];
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["slot"].asInt(), 10);
    EXPECT_EQ(rows[0]["collection"].asInt(), 0);
}

TEST_F(HalvernctlTest, InfoReadsTheBlockAndCapturesEveryReport) {
    const std::string capture = (dir / "traffic.txt").string();
    const CtlRun r = run({"--emulate", "mouse-receiver", "--capture", capture, "--json", "info", "mouse"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    Json::Value info;
    ASSERT_TRUE(Json::Reader().parse(r.out, info));
    EXPECT_TRUE(info["receiver"].asBool());
    EXPECT_EQ(info["info"].size(), 34u);
    EXPECT_EQ(info["keySlots"].asInt(), info["info"][5].asInt());

    // QueryLink, Begin, ReadInfo in two reports of 24 + 10 bytes, End: five requests and five replies.
    std::ifstream in(capture);
    std::string line;
    int outs = 0, ins = 0;
    while (std::getline(in, line)) {
        outs += line.rfind("OUT mouse-receiver 04 ", 0) == 0;
        ins += line.rfind("IN mouse-receiver 04 ", 0) == 0;
    }
    EXPECT_EQ(outs, 5);
    EXPECT_EQ(ins, 5);
}

TEST_F(HalvernctlTest, StateFolderCarriesDeviceMemoryAcrossRuns) {
    const std::string state = (dir / "state").string();
    std::filesystem::create_directories(state);
    ASSERT_EQ(run({"--emulate", "keyboard", "--emulator-state", state, "info", "keyboard"}).code, kExitOk);
    EXPECT_FALSE(std::filesystem::is_empty(state));
    ASSERT_EQ(run({"--emulate", "keyboard", "--emulator-state", state, "info", "keyboard"}).code, kExitOk);
}

TEST_F(HalvernctlTest, ErrorsAreOneClearLineWithTheirExitCode) {
    CtlRun r = run({"--emulate", "keyboard", "info", "mouse"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err, "halvernctl: no mouse is attached\n");

    r = run({"--emulate", "mouse", "info", "toaster"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(lineCount(r.err), 1u);

    r = run({"--emulate", "mouse", "--emulator-state", "/proc/no-such-folder", "list"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(lineCount(r.err), 1u);

    r = run({"--capture", "x", "list"});
    EXPECT_EQ(r.code, kExitUsage);
    r = run({"--emulate", "mousepad-receiver", "list"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err, "halvernctl: unknown device to emulate: mousepad-receiver\n");
    r = run({"--emulate"});
    EXPECT_EQ(r.code, kExitUsage);
}

// What the command line prints as a name must take the user back to the same thing when typed: the
// English texts of the key tables, the key editor's lists and the light modes must not give two
// different things one name, and no factory function may name two keys.
TEST(HalvernctlNames, EveryNameTheCommandLinePrintsNamesWhatItWasPrintedFor) {
    const EnglishTexts texts;
    const std::vector<NamedChoice> functions = functionChoices(texts);
    ASSERT_GT(functions.size(), 180u);
    const auto namesItsOwn = [](std::span<const NamedChoice> choices, std::string_view what) {
        for (const NamedChoice& c : choices) {
            const NameMatch match = matchName(choices, c.shown);
            EXPECT_EQ(match.value, c.value) << what << " '" << c.shown << "'";
        }
    };
    namesItsOwn(functions, "function");
    const std::vector<NamedChoice> buttons = itemChoices(CMerivexMouseDevice::kButtonCodes, functions, texts);
    EXPECT_EQ(buttons.size(), CMerivexMouseDevice::kButtonCount);
    namesItsOwn(buttons, "button");
    const std::vector<NamedChoice> keys = itemChoices(CMerivexKeyboardDevice::kKeyCodes, functions, texts);
    EXPECT_GT(keys.size(), 110u);
    namesItsOwn(keys, "key");

    for (const auto& [kindId, range] : {std::pair{1, kMouseModes}, std::pair{0, kKeyboardModes}}) {
        LightModeLists lists;
        LoadLightModeLists(kindId, GetDefaultDataFolder(), {}, lists);
        const std::vector<NamedChoice> modes = lightModeChoices(lists, range, texts);
        ASSERT_FALSE(modes.empty()) << range.device;
        namesItsOwn(modes, range.device);
        for (const NamedChoice& m : modes) {
            EXPECT_EQ(lightModeName(lists, static_cast<size_t>(m.value), range, texts), m.shown);
        }
    }
}

}  // namespace
}  // namespace halvern::cli
