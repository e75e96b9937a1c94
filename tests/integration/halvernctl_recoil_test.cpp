// halvernctl's macro row and recoil verbs, and the images they reach the emulated mouse with.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/macro_command.h"
#include "cli/recoil_command.h"
#include "ctl_fixture.h"
#include "input/recoil_store.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"

namespace halvern::cli {
namespace {

using emu::Region;

const CtlCommands kCommands{
    {"macro", runMacroCommand},
    {"recoil", runRecoilCommand},
    {"write-macros", runWriteMacrosCommand},
};

class HalvernctlRowsTest : public CtlFixture {
protected:
    HalvernctlRowsTest() : CtlFixture(kCommands) {}
    void SetUp() override { mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable); }
    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(HalvernctlRowsTest, MacroRowsAreInsertedMovedAndDeletedLikeTheEditorDoes) {
    ASSERT_EQ(run({"macro", "add"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "insert", "0", "0", "left_click"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "insert", "0", "1", "move-left", "300"}).code, kExitOk);
    EXPECT_EQ(run({"macro", "show", "0"}).out,
              "0  Left button  down  50 ms\n1  Left button  up  50 ms\n2  Move left  44  50 ms\n");
    EXPECT_EQ(run({"macro", "move-row", "0", "0", "up"}).out, "row 0 stays where it is\n");
    ASSERT_EQ(run({"macro", "move-row", "0", "2", "top"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "delete-row", "0", "1"}).code, kExitOk);
    const Json::Value events = runJson({"macro", "show", "0"});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["Type"].asInt(), 4);
    EXPECT_EQ(events[1]["Action"].asString(), "up");

    EXPECT_EQ(run({"macro", "insert", "0", "5", "left_click"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "insert", "0", "0", "move-up"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "insert", "0", "0", "jump"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "move-row", "0", "0", "sideways"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "show", "1"}).code, kExitUsage);
}

TEST_F(HalvernctlRowsTest, RecoilShotsReachTheMouseWithWriteMacros) {
    // Gun 2's file is gone: it comes back from the shipped copy.
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    CtlRun r = run({"recoil", "show", "2", "1"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    std::filesystem::remove(store.PatternPath(2));
    EXPECT_EQ(run({"recoil", "show", "2", "1"}).out, r.out);

    r = run({"recoil", "set", "2", "5", "--x", "-3", "--y", "-7", "--delay", "90"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "gun 2 shot 5: x 3 left, y 7 up, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "2", "5"}).out, "shot 5: x 3 left, y 7 up, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "2", "31"}).code, kExitUsage);
    EXPECT_EQ(run({"recoil", "set", "4", "1", "--x", "1", "--y", "1", "--delay", "1"}).code, kExitUsage);
    EXPECT_EQ(run({"recoil", "set", "0", "1", "--x", "1", "--y", "1"}).code, kExitUsage);

    r = run({"write-macros"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    // Four blocks of 180 events: 16 header bytes, 4 offsets, then per block a count, 2 zeros, the events.
    const size_t size = 16 + 4 * 2 + 4 * (4 + 180 * 4);
    const auto header = bytesOf(*mouse, Region::Recoil, 0, 6);
    EXPECT_EQ(header, (std::vector<uint8_t>{0xAA, 0x55, size & 0xFF, size >> 8, 4, 0}));
    const size_t gun2 = 24 + 2 * (4 + 180 * 4);
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, 16 + 2 * 2, 2), (std::vector<uint8_t>{gun2 & 0xFF, gun2 >> 8}));
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun2, 4), (std::vector<uint8_t>{180, 0, 0, 0}));
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun2 + 4 + size_t{24} * 4, 24),
              (std::vector<uint8_t>{10, 0, 0x81, 1, 0, 0, 0x01, 1, 5, 0, 0x84, 3,  //
                                    90, 0, 0x85, 7, 0, 0, 0x84, 0, 0, 0, 0x85, 0}));
}

// Imports read their file before they replace anything: a file that is not a pattern or a macro is
// refused with one line and exit 1, and the user's pattern and macro list stay.
TEST_F(HalvernctlRowsTest, ImportsRefuseFilesThatAreNotPatternsOrMacros) {
    ASSERT_EQ(run({"recoil", "set", "2", "1", "--x", "4", "--y", "5", "--delay", "60"}).code, kExitOk);
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    const std::string pattern = ReadFileText(store.PatternPath(2));
    const std::string notAPattern = (data.path() / "hostname").string();
    { std::ofstream(notAPattern) << "localhost\n"; }

    CtlRun r = run({"recoil", "import", "2", notAPattern});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("not a recoil pattern file"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileText(store.PatternPath(2)), pattern);

    r = run({"macro", "import", notAPattern});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("not a macro file"), std::string::npos) << r.err;
    EXPECT_EQ(run({"macro", "list"}).out, "");

    // A pattern exported from gun 2 goes into gun 3 as it was.
    const std::string exported = (data.path() / "gun2.Shoot").string();
    ASSERT_EQ(run({"recoil", "export", "2", exported}).code, kExitOk);
    EXPECT_EQ(run({"recoil", "import", "3", exported}).out, "imported gun 3\n");
    EXPECT_EQ(run({"recoil", "show", "3", "1"}).out, run({"recoil", "show", "2", "1"}).out);
}

// A pattern edited by hand: halvernctl shows each shot as the mouse then plays it.
TEST_F(HalvernctlRowsTest, RecoilShowTellsWhatTheMouseReceivesFromAHandEditedFile) {
    ASSERT_EQ(run({"recoil", "show", "1", "1"}).code, kExitOk);  // restores the shipped patterns
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    Json::Value pattern = ReadJsonFile(store.PatternPath(1));
    pattern["Events"][2] = ParseJsonText(R"({"Action": "Down", "Button": 300, "Delay": 5, "Type": 4})");
    pattern["Events"][3] = ParseJsonText(R"({"Action": "up", "Button": 9, "Delay": "90", "Type": 5})");
    pattern["Events"][9] = ParseJsonText(R"({"Action": "DOWN", "Button": 2, "Delay": -5, "Type": 5})");
    ASSERT_TRUE(WriteJsonFile(store.PatternPath(1), pattern));
    EXPECT_EQ(run({"recoil", "show", "1", "1"}).out, "shot 1: x 255 left, y 9 down, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "1", "2"}).out.substr(0, 8), "shot 2: ");
    EXPECT_NE(run({"recoil", "show", "1", "2"}).out.find("up, delay 65535 ms"), std::string::npos);

    ASSERT_EQ(run({"write-macros"}).code, kExitOk);
    const size_t gun1 = 24 + 4 + 180 * 4;
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun1 + 4 + size_t{2} * 4, 8),
              (std::vector<uint8_t>{5, 0, 0x84, 255, 90, 0, 0x05, 9}));
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun1 + 4 + size_t{9} * 4, 4),
              (std::vector<uint8_t>{0xFF, 0xFF, 0x85, 2}));
}

}  // namespace
}  // namespace halvern::cli
