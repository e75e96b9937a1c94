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
    // Macros and rows count from 1; insert puts the item after ROW, and ROW 0 puts it at the top.
    ASSERT_EQ(run({"macro", "insert", "1", "0", "left_click"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "insert", "1", "2", "move-left", "300"}).code, kExitOk);
    EXPECT_EQ(run({"macro", "show", "1"}).out,
              "1  Left button  down  50 ms\n2  Left button  up  50 ms\n3  Move left  44  50 ms\n");
    EXPECT_EQ(run({"macro", "move-row", "1", "1", "up"}).out, "row 1 stays where it is\n");
    ASSERT_EQ(run({"macro", "move-row", "1", "3", "top"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "delete-row", "1", "2"}).code, kExitOk);
    const Json::Value rows = runJson({"macro", "show", "1"})["rows"];
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["type"].asInt(), 4);
    EXPECT_FALSE(rows[1]["down"].asBool());
    EXPECT_EQ(rows[1]["delay"].asInt(), 50);
    EXPECT_EQ(rows[1]["row"].asInt(), 2);

    const CtlRun top = run({"macro", "insert", "1", "0", "right_click"});
    ASSERT_EQ(top.code, kExitOk) << top.err;
    EXPECT_EQ(top.out, "inserted right_click at row 1\n");
    EXPECT_EQ(run({"macro", "show", "1"}).out,
              "1  Right button  down  50 ms\n2  Right button  up  50 ms\n3  Move left  44  50 ms\n"
              "4  Left button  up  50 ms\n");

    EXPECT_EQ(run({"macro", "insert", "1", "5", "left_click"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "insert", "1", "0", "move-up"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "insert", "1", "0", "jump"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "move-row", "1", "0", "up"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "move-row", "1", "1", "sideways"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "delete-row", "1", "5"}).err.find("ROW takes 1-4, not '5'"), 19u);
    EXPECT_EQ(run({"macro", "show", "2"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "show", "0"}).code, kExitUsage);
}

TEST_F(HalvernctlRowsTest, RecoilShotsReachTheMouseWithWriteMacros) {
    // Gun 3's file (the third pattern, 2 inside) is gone: it comes back from the shipped copy.
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    CtlRun r = run({"recoil", "show", "3", "1"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    std::filesystem::remove(store.PatternPath(2));
    EXPECT_EQ(run({"recoil", "show", "3", "1"}).out, r.out);

    r = run({"recoil", "set", "3", "5", "--x", "-3", "--y", "-7", "--delay", "90"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "gun 3 shot 5: x 3 left, y 7 up, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "3", "5"}).out, "shot 5: x 3 left, y 7 up, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "3", "31"}).code, kExitUsage);
    r = run({"recoil", "set", "5", "1", "--x", "1", "--y", "1", "--delay", "1"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err.rfind("halvernctl: recoil: GUN takes 1-4, not '5';", 0), 0u) << r.err;
    EXPECT_EQ(run({"recoil", "show", "0"}).code, kExitUsage);
    EXPECT_EQ(run({"recoil", "set", "1", "1", "--x", "1", "--y", "1"}).code, kExitUsage);

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
    ASSERT_EQ(run({"recoil", "set", "3", "1", "--x", "4", "--y", "5", "--delay", "60"}).code, kExitOk);
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    const std::string pattern = ReadFileText(store.PatternPath(2));
    const std::string notAPattern = (data.path() / "hostname").string();
    { std::ofstream(notAPattern) << "localhost\n"; }

    CtlRun r = run({"recoil", "import", "3", notAPattern});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("not a recoil pattern file"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileText(store.PatternPath(2)), pattern);

    r = run({"macro", "import", notAPattern});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("not a macro file"), std::string::npos) << r.err;
    EXPECT_EQ(run({"macro", "list"}).out, "");

    // A pattern exported from gun 3 goes into gun 4 as it was.
    const std::string exported = (data.path() / "gun3.Shoot").string();
    ASSERT_EQ(run({"recoil", "export", "3", exported}).code, kExitOk);
    EXPECT_EQ(run({"recoil", "import", "4", exported}).out, "imported gun 4\n");
    EXPECT_EQ(run({"recoil", "show", "4", "1"}).out, run({"recoil", "show", "3", "1"}).out);
}

// A pattern edited by hand: halvernctl shows each shot as the mouse then plays it.
TEST_F(HalvernctlRowsTest, RecoilShowTellsWhatTheMouseReceivesFromAHandEditedFile) {
    ASSERT_EQ(run({"recoil", "show", "2", "1"}).code, kExitOk);  // restores the shipped patterns
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    Json::Value pattern = ReadJsonFile(store.PatternPath(1));
    pattern["Events"][2] = ParseJsonText(R"({"Action": "Down", "Button": 300, "Delay": 5, "Type": 4})");
    pattern["Events"][3] = ParseJsonText(R"({"Action": "up", "Button": 9, "Delay": "90", "Type": 5})");
    pattern["Events"][9] = ParseJsonText(R"({"Action": "DOWN", "Button": 2, "Delay": -5, "Type": 5})");
    ASSERT_TRUE(WriteJsonFile(store.PatternPath(1), pattern));
    EXPECT_EQ(run({"recoil", "show", "2", "1"}).out, "shot 1: x 255 left, y 9 down, delay 90 ms\n");
    EXPECT_EQ(run({"recoil", "show", "2", "2"}).out.substr(0, 8), "shot 2: ");
    EXPECT_NE(run({"recoil", "show", "2", "2"}).out.find("up, delay 65535 ms"), std::string::npos);

    ASSERT_EQ(run({"write-macros"}).code, kExitOk);
    const size_t gun1 = 24 + 4 + 180 * 4;
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun1 + 4 + size_t{2} * 4, 8),
              (std::vector<uint8_t>{5, 0, 0x84, 255, 90, 0, 0x05, 9}));
    EXPECT_EQ(bytesOf(*mouse, Region::Recoil, gun1 + 4 + size_t{9} * 4, 4),
              (std::vector<uint8_t>{0xFF, 0xFF, 0x85, 2}));
}

}  // namespace
}  // namespace halvern::cli
