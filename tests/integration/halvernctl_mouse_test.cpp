// halvernctl's mouse commands, run in-process against an emulated mouse the test can look into.

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli_support.h"
#include "cli/global_options.h"
#include "cli/macro_command.h"
#include "cli/mouse_command.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"
#include "emulator/emulator.h"
#include "input/macro_store.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"

namespace halvern::cli {
namespace {

using emu::Region;

const CtlCommands kMouseCommands{
    {"show", runShowCommand},
    {"dpi", runDpiCommand},
    {"dpi-active", runDpiActiveCommand},
    {"polling", runPollingCommand},
    {"light", runLightCommand},
    {"key", runKeyCommand},
    {"macro", runMacroCommand},
    {"write-macros", runWriteMacrosCommand},
};

// Offsets in the onboard record.
constexpr size_t kStageBase = 14;
constexpr size_t kStageSize = 9;

class HalvernctlMouseTest : public CtlFixture {
protected:
    HalvernctlMouseTest() : CtlFixture(kMouseCommands) {}

    void SetUp() override {
        mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
        ASSERT_TRUE(mouse);
    }

    std::vector<uint8_t> record(size_t from, size_t count) const {
        return bytesOf(*mouse, Region::Settings, from, count);
    }
    std::vector<uint8_t> keySlot(size_t slot) const { return bytesOf(*mouse, Region::KeyTable, slot * 3, 3); }

    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(HalvernctlMouseTest, ShowMouseReadsTheMouseAndPrintsStagesWithDpiValues) {
    // The mouse reports light mode value 5 and stage 4 as active.
    ASSERT_TRUE(mouse->firmware().poke(Region::Settings, 1, std::array<uint8_t, 1>{5}));
    ASSERT_TRUE(mouse->firmware().poke(Region::Settings, 12, std::array<uint8_t, 1>{4}));

    const CtlRun text = run({"show", "mouse"});
    ASSERT_EQ(text.code, kExitOk) << text.err;
    EXPECT_EQ(text.out.rfind("mouse 320f:221c on its cable (emu:mouse/1#4)\n", 0), 0u) << text.out;
    // The emulated mouse: lowest 200 DPI, 100 DPI per slider step (200 above position 48).
    EXPECT_NE(text.out.find("stage 2: on, 800 DPI (slider 6), colour 00ff00\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("stage 5: on, active, 3200 DPI (slider 30), colour 00ffff\n"), std::string::npos);
    // Names people read: the mode's English name, the rate in Hz, each button by its own function.
    EXPECT_NE(text.out.find("light: Flow, brightness 4"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("polling rate: 1000 Hz\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("active stage: 5\n"), std::string::npos);
    EXPECT_NE(text.out.find("button 11 (Fire key): Fire key, interval 120, count 2 (147802)\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("button 1 (Left button): Left button (100100)\n"), std::string::npos);
    EXPECT_EQ(text.out.find("light_mode_"), std::string::npos) << "no text ids";

    const Json::Value json = runJson({"show", "mouse"});
    ASSERT_EQ(json["stages"].size(), 6u);
    EXPECT_EQ(json["stages"][5]["sliderX"].asInt(), 46);
    EXPECT_EQ(json["stages"][5]["dpiX"].asInt(), 4800);
    EXPECT_EQ(json["activeStage"].asInt(), 5);  // counted from 1, as the window shows it
    EXPECT_EQ(json["stages"][5]["stage"].asInt(), 6);
    EXPECT_EQ(json["light"]["mode"].asInt(), 5);
    EXPECT_EQ(json["light"]["modeName"].asString(), "Flow");
    EXPECT_EQ(json["pollingRate"]["index"].asInt(), 4);
    EXPECT_EQ(json["pollingRate"]["hz"].asInt(), 1000);
    EXPECT_EQ(json["buttons"].size(), 11u);
    EXPECT_EQ(json["buttons"][0]["code"].asString(), "100100");
    EXPECT_EQ(json["buttons"][0]["name"].asString(), "Left button");
    EXPECT_EQ(json["buttons"][0]["button"].asInt(), 1);
    EXPECT_EQ(json["buttons"][8]["function"].asString(), "Game mode");
}

TEST_F(HalvernctlMouseTest, SettingsCommandsWriteTheRecordWithTheScreenSize) {
    CtlRun r = run({"dpi", "3", "--dpi", "1600", "--screen", "2560x1440"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "stage 3: on, 1600 DPI (slider 14), colour 0000ff, written to the mouse\n");
    const size_t stage2 = kStageBase + 2 * kStageSize;
    EXPECT_EQ(record(stage2, 5), (std::vector<uint8_t>{1, 0, 14, 0, 14}));
    EXPECT_EQ(record(69, 4), (std::vector<uint8_t>{0x00, 0x0A, 0xA0, 0x05}));

    // Below the lowest DPI counts as the lowest; a separate Y value sets the X/Y flag; integer division.
    r = run({"dpi", "4", "--dpi", "50", "--y-dpi=1625", "--color", "12aB56", "--enable", "0"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out,
              "stage 4: off, X 200 DPI (slider 0) Y 1600 DPI (slider 14), colour 12ab56, written to the "
              "mouse; asked 50 DPI, the mouse's lowest is 200 DPI; asked 1625 DPI for Y, the mouse's step "
              "gives 1600 DPI\n");
    EXPECT_EQ(record(kStageBase + 3 * kStageSize, 9),
              (std::vector<uint8_t>{0, 1, 0, 0, 14, 0, 0x12, 0xAB, 0x56}));
    EXPECT_EQ(record(69, 4), (std::vector<uint8_t>{0x80, 0x07, 0x38, 0x04}));  // 1920x1080 unless told

    ASSERT_EQ(run({"dpi-active", "6"}).code, kExitOk);
    ASSERT_EQ(run({"polling", "3"}).code, kExitOk);  // the third rate, 500 Hz
    r = run({"light", "--mode", "3", "--brightness", "1", "--speed", "0", "--color", "00ff80"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(record(1, 8),
              (std::vector<uint8_t>{3, 1, 4, 0, 0, 0x00, 0xFF, 0x80}));  // speed 0 is stored as 4
    EXPECT_EQ(record(11, 2), (std::vector<uint8_t>{2, 5}));

    // The profile keeps what was written: a later page shows it.
    const Json::Value json = runJson({"show", "mouse"});
    EXPECT_EQ(json["pollingRate"]["index"].asInt(), 3);
    EXPECT_EQ(json["pollingRate"]["hz"].asInt(), 500);
    EXPECT_EQ(json["stages"][3]["dpiY"].asInt(), 1600);
    EXPECT_FALSE(json["stages"][3]["enabled"].asBool());
}

TEST_F(HalvernctlMouseTest, LightModesGoByNameAndTheListShowsThem) {
    // The English name in any letter case, with or without spaces, hyphens and underscores, or the tail of
    // the mode's text id.
    struct Named {
        const char* word;
        uint8_t mode;
    };
    CtlRun r;
    for (const Named& n :
         {Named{"breathing", 2}, Named{"4-COLOUR breathing", 7}, Named{"four_color_breathing", 7},
          Named{"Four-colour breathing", 7}, Named{"4 colour blink", 8}}) {
        r = run({"light", "--mode", n.word});
        ASSERT_EQ(r.code, kExitOk) << n.word << ": " << r.err;
        EXPECT_EQ(record(1, 1)[0], n.mode) << n.word;
    }
    EXPECT_EQ(r.out,
              "light: 4-colour blink, brightness 4, speed 2, direction 0, multicolor 0, colour ff0000, "
              "written to the mouse\n");

    r = run({"light", "--list"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(lineCount(r.out), 13u) << r.out;  // a heading and the mouse's twelve modes
    EXPECT_NE(r.out.find("\n   0  Wave\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n*  8  4-colour blink\n"), std::string::npos) << r.out;
    const Json::Value modes = runJson({"light", "--list"})["modes"];
    ASSERT_EQ(modes.size(), 12u);
    EXPECT_EQ(modes[2]["name"].asString(), "Breathing");
    EXPECT_TRUE(modes[8]["current"].asBool());

    // Saved effects go by the names the user gave them. One named like a mode of the mouse's own makes the
    // name ambiguous: a usage error that lists the names, and nothing written.
    Json::Value config;
    config["LightInfo"][1][0]["LightName"] = "Party";
    config["LightInfo"][1][1]["LightName"] = "Static";
    ASSERT_TRUE(WriteJsonFile(GetDeviceDataFolder("mouse") / "zantor_light.config", config));
    const unsigned writes = mouse->firmware().commandCount(0x06);
    for (const char* word : {"static", "sparkle"}) {
        r = run({"light", "--mode", word});
        EXPECT_EQ(r.code, kExitUsage) << word;
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_NE(r.err.find("Music, Party (saved effect), Static (saved effect)"), std::string::npos)
            << r.err;
    }
    EXPECT_NE(r.err.find("'sparkle' is not a mouse light mode"), std::string::npos) << r.err;
    EXPECT_EQ(run({"light", "--mode", "static"})
                  .err.rfind("halvernctl: light: 'static' could be Static or Static "
                             "(saved effect);",
                             0),
              0u);
    EXPECT_EQ(mouse->firmware().commandCount(0x06), writes);
    r = run({"light", "--list"});
    EXPECT_NE(r.out.find("\n  12  Party (saved effect)\n"), std::string::npos) << r.out;
}

TEST_F(HalvernctlMouseTest, ButtonsFunctionsAndPollingRatesGoByName) {
    // Button 4 (the forward button, in slot 4) by number, the function by the name of the G key.
    CtlRun r = run({"key", "4", "G"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "button 4 (Forward): G (20000a), written to the mouse\n");
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x20, 0x00, 0x0A}));

    // The last button doing left click keeps it: without one the mouse could not click any more.
    r = run({"key", "left", "ctrl+a"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err,
              "halvernctl: button 1 (Left button) is the last button doing left click; give left click to "
              "another button first\n");
    EXPECT_EQ(keySlot(1), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
    ASSERT_EQ(run({"key", "back", "left button"}).code, kExitOk);

    // Buttons go by what they do out of the box; a modifier and a key as the key editor combines them.
    r = run({"key", "left", "ctrl+a"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "button 1 (Left button): Ctrl+A (200104), written to the mouse\n");
    EXPECT_EQ(keySlot(1), (std::vector<uint8_t>{0x20, 0x01, 0x04}));
    ASSERT_EQ(run({"key", "Forward", "page-down"}).code, kExitOk);
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x20, 0x00, 0x4E}));

    // A name the window shows is what it shows: "Right" is the arrow key; the button is "Right button".
    ASSERT_EQ(run({"key", "forward", "right"}).code, kExitOk);
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x20, 0x00, 0x4F}));
    ASSERT_EQ(run({"key", "forward", "Right Button"}).code, kExitOk);
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x10, 0x02, 0x00}));
    r = run({"key", "forward", "default"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "button 4 (Forward): Forward (101000), written to the mouse\n");
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x10, 0x10, 0x00}));

    // Polling rates in Hz, with or without the unit; a number from 1 to 5 is the rate's place in the list.
    struct Rate {
        const char* word;
        uint8_t index;
    };
    for (const Rate& rate : {Rate{"500", 2}, Rate{"2000Hz", 4}, Rate{"125 hz", 0}, Rate{"2", 1}}) {
        r = run({"polling", rate.word});
        ASSERT_EQ(r.code, kExitOk) << rate.word << ": " << r.err;
        EXPECT_EQ(record(11, 1)[0], rate.index) << rate.word;
    }
    EXPECT_EQ(r.out, "polling rate: 250 Hz, written to the mouse\n");
    r = run({"polling", "300"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("the mouse polls at 125, 250, 500, 1000, 2000 Hz (or index 1-5), not '300'"),
              std::string::npos)
        << r.err;
}

TEST_F(HalvernctlMouseTest, ARefusedWriteExitsOneNamesTheResultAndKeepsTheProfile) {
    const int polling = runJson({"show", "mouse"})["pollingRate"]["index"].asInt();
    ASSERT_NE(polling, 0);
    mouse->setFaults({.replyStatus = 0xFF});

    CtlRun r = run({"polling", "1"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err,
              "halvernctl: the mouse refused the settings (result -102: the device refused the command "
              "(status 0xFF))\n");
    EXPECT_EQ(record(11, 1)[0], 3);  // the factory record's index, untouched
    r = run({"dpi", "2", "--dpi", "800"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err, "halvernctl: the mouse did not report its DPI range (is it switched on?)\n");
    r = run({"show", "mouse"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u);
    r = run({"write-macros"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_NE(r.err.find("result -102"), std::string::npos) << r.err;

    mouse->setFaults({});
    EXPECT_EQ(runJson({"show", "mouse"})["pollingRate"]["index"].asInt(), polling);
}

TEST_F(HalvernctlMouseTest, KeyWritesTheKeyTableOnlyForButtonsTheMouseHas) {
    // Slot 8 held the code of button 10 (the ninth from 0); this mouse has something else there.
    ASSERT_TRUE(
        mouse->firmware().poke(Region::KeyTable, size_t{8} * 3, std::array<uint8_t, 3>{0x55, 0x66, 0x77}));
    CtlRun r = run({"key", "10", "100100"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err.rfind("halvernctl: key: button 10 is not on this mouse;", 0), 0u) << r.err;
    r = run({"key", "4", "700000"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("there is no macro 1 (the list holds 0)"), std::string::npos) << r.err;
    EXPECT_EQ(mouse->firmware().commandCount(0x09), 0u);

    ASSERT_EQ(run({"key", "4", "100100"}).code, kExitOk);  // the forward button clicks now
    r = run({"key", "1", "200104"});                       // Ctrl+A on the left button, which sits in slot 1
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(keySlot(1), (std::vector<uint8_t>{0x20, 0x01, 0x04}));
    EXPECT_EQ(keySlot(8), (std::vector<uint8_t>{0x55, 0x66, 0x77}));
    EXPECT_EQ(keySlot(0), (std::vector<uint8_t>{0x10, 0x02, 0x00}));
}

TEST_F(HalvernctlMouseTest, MacroCommandsKeepTheListAndTheAssignmentsInStep) {
    EXPECT_EQ(run({"macro", "add"}).out, "added macro_1\n");
    EXPECT_EQ(run({"macro", "add"}).out, "added macro_2\n");
    EXPECT_EQ(run({"macro", "rename", "1", "Jump"}).code, kExitOk);
    EXPECT_EQ(run({"macro", "rename", "2", "JUMP"}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "rename", "2", "  "}).code, kExitUsage);
    EXPECT_EQ(run({"macro", "rename", "2", "a\tb"}).code, kExitUsage);
    MacroStore store(GetDeviceDataFolder("mouse"));
    const MacroEvent press{true, 0x04, 10, 20};
    ASSERT_TRUE(store.SaveMacro(1, std::vector<MacroEvent>(3, press)));

    const std::string exported = (data.path() / "out.mac").string();
    ASSERT_EQ(run({"macro", "export", "2", exported}).code, kExitOk);
    EXPECT_EQ(run({"macro", "import", exported}).out, "imported macro_1\n");
    EXPECT_EQ(run({"macro", "list"}).out,
              "1  Jump  (0 events)\n2  macro_2  (3 events)\n3  macro_1  (3 events)\n");
    const Json::Value list = runJson({"macro", "list"})["macros"];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2]["name"].asString(), "macro_1");
    EXPECT_EQ(list[2]["events"].asInt(), 3);
    EXPECT_EQ(list[2]["position"].asInt(), 3);

    // Button 4 plays macro 3 (code 02), button 5 macro 2 (code 01). Deleting macro 1 moves both up one
    // number; deleting the macro button 5 plays gives button 5 its own function back.
    ASSERT_EQ(run({"key", "4", "710205"}).code, kExitOk);
    ASSERT_EQ(run({"key", "5", "700100"}).code, kExitOk);
    ASSERT_EQ(run({"macro", "delete", "1"}).code, kExitOk);
    Json::Value buttons = runJson({"show", "mouse"})["buttons"];
    EXPECT_EQ(buttons[3]["code"].asString(), "710105");
    EXPECT_EQ(buttons[4]["code"].asString(), "700000");
    ASSERT_EQ(run({"macro", "delete", "1"}).code, kExitOk);
    buttons = runJson({"show", "mouse"})["buttons"];
    EXPECT_EQ(buttons[3]["code"].asString(), "710005");
    EXPECT_EQ(buttons[4]["code"].asString(), "100800");
    EXPECT_EQ(run({"macro", "list"}).out, "1  macro_1  (3 events)\n");
    EXPECT_EQ(run({"macro", "delete", "2"}).code, kExitUsage);
}

TEST_F(HalvernctlMouseTest, MacrosThatDoNotFitNameTheEventsToRemove) {
    MacroStore store(GetDeviceDataFolder("mouse"));
    ASSERT_FALSE(store.AddMacro().empty());
    const MacroEvent press{true, 0x04, 10, 20};
    // 32 × 128 = 4096 bytes of macro memory; one macro takes 22 bytes plus 4 per event.
    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>(1020, press)));  // 4102 bytes: 6 over
    CtlRun r = run({"key", "4", "700000"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err, "halvernctl: the macros do not fit the mouse's memory: remove 2 events\n");
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x10, 0x10, 0x00}));  // no key table names a missing macro

    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>(2, press)));
    ASSERT_EQ(run({"key", "4", "700000"}).code, kExitOk);
    EXPECT_EQ(keySlot(4), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
    EXPECT_EQ(mouse->firmware().region(Region::Macro)[4], 1);  // one macro in the image
    // The emulated mouse answers a table read with the table last written; give it its factory layout
    // back so that the next page finds button 4 again.
    ASSERT_TRUE(
        mouse->firmware().poke(Region::KeyTable, size_t{4} * 3, std::array<uint8_t, 3>{0x10, 0x10, 0x00}));

    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>(1019, press)));  // 4098 bytes: 2 over
    r = run({"write-macros"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err, "halvernctl: the macros do not fit the mouse's memory: remove 1 event\n");
    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>(1018, press)));  // 4094 bytes: fits
    r = run({"write-macros"});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "wrote 1 macro to the mouse\nwrote the four recoil patterns to the mouse\n");
}

TEST_F(HalvernctlMouseTest, UsageErrorsExitTwoWithOneLineAndWriteNothing) {
    const std::vector<std::vector<std::string>> lines{
        {"show"},
        {"show", "toaster"},
        {"show", "mouse", "extra"},
        {"dpi", "7", "--slider", "1"},
        {"dpi", "0", "--slider", "1"},    // stages count from 1
        {"dpi", "0x2", "--slider", "1"},  // decimal only
        {"dpi", "2"},
        {"dpi", "2", "--slider", "3", "--dpi", "400"},
        {"dpi", "2", "--slider", "149"},  // above the emulated mouse's highest position, 148
        {"dpi", "2", "--dpi", "99999"},   // above the emulated mouse's highest DPI
        {"dpi", "2", "--slider", "3", "--enable", "2"},
        {"dpi", "2", "--slider", "3", "--color", "12345"},
        {"dpi", "2", "--slider", "3", "--color", "12345g"},
        {"dpi", "2", "--slider", "3", "--screen", "0x1080"},
        {"dpi", "2", "--slider", "3", "--screen", "1920"},
        {"dpi", "2", "--slider", "3", "--slider", "4"},
        {"dpi", "2", "--speed", "3"},
        {"dpi-active", "9"},
        {"polling", "6"},
        {"polling", "0"},
        {"polling"},
        {"light", "--brightness", "2"},
        {"light", "--mode", "3", "--brightness", "5"},
        {"light", "--mode", "3", "--speed", "-1"},
        {"light", "--mode", "12"},  // no saved effect
        {"key", "12", "100100"},
        {"key", "0", "100100"},
        {"key", "1", "10010"},
        {"key", "1", "0x1001"},
        {"key", "1"},
        {"macro"},
        {"macro", "frob"},
        {"macro", "rename", "1"},
        {"macro", "rename", "1", "name"},  // no macro yet
        {"write-macros", "now"},
        // Words beyond what a command takes, names that name nothing.
        {"dpi", "2", "2", "--slider", "3"},
        {"dpi-active", "2", "3"},
        {"polling", "2", "3"},
        {"polling", "1 kHz"},
        {"light", "--mode", "1", "extra"},
        {"light", "--list", "now"},
        {"light", "--list", "--mode", "1"},
        {"light", "--mode", "sparkle"},  // a keyboard mode
        {"key", "1", "100100", "x"},
        {"key", "wheel", "100100"},
        {"key", "3", "ctrl+"},
        {"key", "3", "hyper+g"},
        {"key", "3", "shift+left button"},
        {"macro", "list", "x"},
        {"macro", "add", "x"},
    };
    for (const auto& words : lines) {
        const CtlRun r = run(words);
        EXPECT_EQ(r.code, kExitUsage) << words[0] << ' ' << (words.size() > 1 ? words[1] : "");
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    // The active stage stays on: refused (exit 1) before anything is written.
    const CtlRun active = run({"dpi", "2", "--slider", "3", "--enable", "0"});
    EXPECT_EQ(active.code, kExitDeviceError);
    EXPECT_EQ(lineCount(active.err), 1u) << active.err;
    EXPECT_EQ(mouse->firmware().commandCount(0x06), 0u);
    EXPECT_EQ(mouse->firmware().commandCount(0x09), 0u);
    EXPECT_EQ(mouse->firmware().commandCount(0x15), 0u);

    // A switched-off stage cannot become the active one; the last enabled stage stays on. Both are
    // refusals of what the stages are now, not mistakes on the line.
    for (const char* stage : {"1", "3", "4", "5"})
        ASSERT_EQ(run({"dpi", stage, "--slider", "3", "--enable", "0"}).code, kExitOk);
    const CtlRun off = run({"dpi-active", "4"});
    EXPECT_EQ(off.code, kExitDeviceError);
    EXPECT_EQ(off.err, "halvernctl: stage 4 is switched off\n");
    ASSERT_EQ(run({"dpi-active", "6"}).code, kExitOk);
    EXPECT_EQ(run({"dpi", "2", "--slider", "3", "--enable", "0"}).code, kExitOk);
    EXPECT_EQ(run({"dpi", "6", "--slider", "3", "--enable", "0"}).code, kExitDeviceError);
}

}  // namespace
}  // namespace halvern::cli
