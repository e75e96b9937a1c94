// halvernctl's keyboard commands, run in-process against an emulated keyboard the test can look into.

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "cli/cli_support.h"
#include "cli/global_options.h"
#include "cli/keyboard_command.h"
#include "cli/macro_command.h"
#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"
#include "emulator/emulator.h"

namespace halvern::cli {
namespace {

using emu::Region;

const CtlCommands kCommands{
    {"show", runShowCommand},
    {"light", runLightCommand},
    {"polling", runPollingCommand},
    {"key", runKeyCommand},
    {"flags", runFlagsCommand},
    {"repeat", runRepeatCommand},
    {"custom-color", runCustomColorCommand},
    {"write-macros", runWriteMacrosCommand},
    {"macro", runMacroCommand},
};

// The emulated keyboard scatters its keys: logical key j sits in slot (47 × slot + 11) mod 126 = j, and
// the LED position of a slot is the logical key it holds.
constexpr size_t kSlotOfKey0 = 107;
constexpr size_t kSlotOfKey64 = 103;
constexpr uint8_t kLedOfKey64 = 64;
constexpr size_t kCustomGroupSize = 512;

class HalvernctlKeyboardTest : public CtlFixture {
protected:
    HalvernctlKeyboardTest() : CtlFixture(kCommands) {}

    void SetUp() override {
        keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
        ASSERT_TRUE(keyboard);
    }

    Json::Value showJson() { return runJson({"show", "keyboard"}); }
    /// The row of key `number` (counted from 1) in show's keys; null when show lists no such key.
    static Json::Value keyRow(const Json::Value& keys, int number) {
        for (const Json::Value& row : keys) {
            if (row["key"].asInt() == number) return row;
        }
        return {};
    }

    // Bytes of onboard record 0, which starts at offset 0 of the settings memory.
    std::vector<uint8_t> record(size_t from, size_t count) const {
        return bytesOf(*keyboard, Region::Settings, from, count);
    }
    std::vector<uint8_t> keySlot(size_t slot) const {
        return bytesOf(*keyboard, Region::KeyTable, slot * 3, 3);
    }
    std::vector<uint8_t> customColour(size_t group, size_t led) const {
        return bytesOf(*keyboard, Region::CustomColour, group * kCustomGroupSize + led * 3, 3);
    }

    std::shared_ptr<emu::VirtualDevice> keyboard;
};

TEST_F(HalvernctlKeyboardTest, ShowKeyboardReadsTheRecordAndListsTheKeys) {
    // The keyboard reports light mode 6, the W flag and the Windows-key lock.
    ASSERT_TRUE(keyboard->firmware().poke(Region::Settings, 1, std::array<uint8_t, 1>{6}));
    ASSERT_TRUE(keyboard->firmware().poke(Region::Settings, 20, std::array<uint8_t, 3>{1, 0, 1}));

    const CtlRun text = run({"show", "keyboard"});
    ASSERT_EQ(text.code, kExitOk) << text.err;
    EXPECT_EQ(text.out.rfind("keyboard 320f:5055 on its cable (", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("light: Static, brightness 4"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("flags: win-lock 1, w 1, key6 0\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("polling rate: 125 Hz\n"),
              std::string::npos);  // the profile's, not the record's
    EXPECT_NE(text.out.find("key 65 (A): A (200004), LED 64"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("key 18: a02400, LED 17"), std::string::npos) << "no name, no text";
    EXPECT_EQ(text.out.find("key 20:"), std::string::npos) << "a key without a slot of its own";

    const Json::Value json = showJson();
    EXPECT_EQ(json["device"].asString(), "keyboard");
    EXPECT_FALSE(json["receiver"].asBool());
    EXPECT_EQ(json["light"]["mode"].asInt(), 6);
    EXPECT_EQ(json["light"]["modeName"].asString(), "Static");
    EXPECT_EQ(json["pollingRate"]["hz"].asInt(), 125);
    EXPECT_EQ(json["winLock"].asInt(), 1);
    // The keys with a slot of their own: 126 less the four without a factory code (19-21 and 105).
    const Json::Value& keys = json["keys"];
    ASSERT_EQ(keys.size(), 122u);
    EXPECT_EQ(keys[0]["key"].asInt(), 1);
    EXPECT_EQ(keyRow(keys, 1)["code"].asString(), "200029");
    EXPECT_EQ(keyRow(keys, 121)["code"].asString(), "d0a201");
    EXPECT_EQ(keyRow(keys, 65)["led"].asInt(), 64);
    EXPECT_EQ(keyRow(keys, 65)["name"].asString(), "A");
    EXPECT_EQ(keyRow(keys, 121)["function"].asString(), "M1");
    EXPECT_FALSE(keyRow(keys, 18).isMember("name"));
    EXPECT_TRUE(keyRow(keys, 20).isNull());
}

TEST_F(HalvernctlKeyboardTest, FlagsPollingAndRepeatGoThroughTheRecordAndTheProfile) {
    // The polling rate comes from the profile (index 0), never from the keyboard's record (3).
    CtlRun r = run({"flags", "--win-lock", "1", "--key6=1"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "flags: win-lock 1, w 0, key6 1, written to the keyboard\n");
    EXPECT_EQ(record(20, 4), (std::vector<uint8_t>{0, 1, 1, 0}));  // W, 6-key, Windows lock, polling
    ASSERT_EQ(run({"flags", "--w", "1", "--win-lock", "0"}).code, kExitOk);
    EXPECT_EQ(record(20, 4), (std::vector<uint8_t>{1, 1, 0, 0}));

    // Only a keyboard is attached: polling means the keyboard without being told. Its highest rate is
    // 1000 Hz, the fourth.
    ASSERT_EQ(run({"polling", "2"}).code, kExitOk);
    EXPECT_EQ(record(23, 1)[0], 1);
    r = run({"polling", "--device", "keyboard", "1000hz"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "polling rate: 1000 Hz, written to the keyboard\n");
    EXPECT_EQ(record(23, 1)[0], 3);
    ASSERT_EQ(run({"polling", "3"}).code, kExitOk);
    EXPECT_EQ(record(23, 1)[0], 2);
    EXPECT_EQ(run({"polling", "2000"}).code, kExitUsage);

    // Repeat lives in the profile only: the record keeps its bytes.
    const std::vector<uint8_t> before = record(0, 27);
    r = run({"repeat", "--rate", "17", "--delay", "3"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "repeat: rate 17, delay 3, saved in the profile\n");
    EXPECT_EQ(record(0, 27), before);
    const Json::Value json = showJson();
    EXPECT_EQ(json["repeatRate"].asInt(), 17);
    EXPECT_EQ(json["repeatDelay"].asInt(), 3);
    EXPECT_EQ(json["repeatDelayMs"].asInt(), 1000);
    EXPECT_EQ(json["pollingRate"]["index"].asInt(), 3);
    EXPECT_EQ(json["pollingRate"]["hz"].asInt(), 500);
    EXPECT_EQ(json["wFlag"].asInt(), 1);
    EXPECT_EQ(json["key6"].asInt(), 1);
}

TEST_F(HalvernctlKeyboardTest, LightWritesTheLedSubModeAndTheCustomGroup) {
    CtlRun r = run({"light", "--mode", "5", "--brightness", "2", "--speed", "1", "--color", "102030",
                    "--zzcc", "2", "--group", "3"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(record(1, 8),
              (std::vector<uint8_t>{5, 2, 3, 0, 1, 0x10, 0x20, 0x30}));  // speed 1 is stored as 3
    EXPECT_EQ(record(19, 1)[0], 2);
    EXPECT_EQ(record(26, 1)[0], 3);

    // Options not given keep their values.
    ASSERT_EQ(run({"light", "--device=keyboard", "--mode", "23"}).code, kExitOk);
    EXPECT_EQ(record(1, 8), (std::vector<uint8_t>{23, 2, 3, 0, 1, 0x10, 0x20, 0x30}));
    EXPECT_EQ(record(19, 1)[0], 2);
    EXPECT_EQ(record(26, 1)[0], 3);
    const Json::Value light = showJson()["light"];
    EXPECT_EQ(light["zzcc"].asInt(), 2);
    EXPECT_EQ(light["group"].asInt(), 3);
}

TEST_F(HalvernctlKeyboardTest, KeyWritesTheKeyTableForKeysTheKeyboardHas) {
    // This keyboard's table lacks the Esc key's code (key 1, factory slot 107) from the start.
    ASSERT_TRUE(keyboard->firmware().poke(Region::KeyTable, kSlotOfKey0 * 3,
                                          std::array<uint8_t, 3>{0x55, 0x66, 0x77}));
    CtlRun r = run({"key", "1", "200004"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err.rfind("halvernctl: key: key 1 is not on this keyboard;", 0), 0u) << r.err;
    r = run({"key", "65", "700000"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("there is no macro 1 (the list holds 0)"), std::string::npos) << r.err;
    EXPECT_EQ(keyboard->firmware().commandCount(0x09), 0u);

    r = run({"key", "65", "200105"});  // Ctrl+B on the A key
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(keySlot(kSlotOfKey64), (std::vector<uint8_t>{0x20, 0x01, 0x05}));
    EXPECT_EQ(keySlot(kSlotOfKey0), (std::vector<uint8_t>{0x55, 0x66, 0x77}));
    const Json::Value keys = showJson()["keys"];
    EXPECT_EQ(keyRow(keys, 65)["code"].asString(), "200105");
    EXPECT_FALSE(keyRow(keys, 1)["present"].asBool());

    // Keys 19-21, 105 and 127-170 have no factory code of their own: they would all find the one slot of
    // the first of them, so none can take a function. The parser refuses them with the keys there are,
    // before the keyboard is asked, and nothing is written.
    const unsigned tableWrites = keyboard->firmware().commandCount(0x09);
    for (const char* key : {"20", "105", "127", "170"}) {
        r = run({"key", key, "200004"});
        EXPECT_EQ(r.code, kExitUsage) << key;
        EXPECT_EQ(r.err.rfind("halvernctl: key: key takes 1-18, 22-104 or 106-126 or a key's name, not '" +
                                  std::string(key) + "';",
                              0),
                  0u)
            << r.err;
    }
    EXPECT_EQ(keyboard->firmware().commandCount(0x09), tableWrites);
}

TEST_F(HalvernctlKeyboardTest, LightModesAndKeysGoByName) {
    CtlRun r = run({"light", "--mode", "colour drift"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(record(1, 1)[0], 11);
    EXPECT_EQ(r.out.rfind("light: Colour drift, brightness ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(", zzcc 0, group 0, written to the keyboard\n"), std::string::npos) << r.out;
    ASSERT_EQ(run({"light", "--device", "keyboard", "--mode", "CUSTOM_COLOR"}).code,
              kExitOk);  // the id's tail
    EXPECT_EQ(record(1, 1)[0], 20);

    // The list holds the modes the page offers: 31 less the four it hides (0, 17, 19 and 30).
    const Json::Value modes = runJson({"light", "--list"})["modes"];
    ASSERT_EQ(modes.size(), 27u);
    for (const Json::Value& m : modes) {
        for (const int hidden : {0, 17, 19, 30}) EXPECT_NE(m["mode"].asInt(), hidden);
    }
    EXPECT_EQ(modes[10]["name"].asString(), "Colour drift");
    r = run({"light", "--mode", "game colours"});  // mode 17, which the page hides
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find(
                  "'game colours' is not a keyboard light mode; keyboard light mode names: Wave, Spark wave"),
              std::string::npos)
        << r.err;

    // The W key (key 45, slot 57) does Page Up; Caps Lock (key 64, slot 44) Shift+F5.
    r = run({"key", "W", "Page Up"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "key 45 (W): Page Up (20004b), written to the keyboard\n");
    EXPECT_EQ(keySlot(57), (std::vector<uint8_t>{0x20, 0x00, 0x4B}));
    r = run({"key", "caps lock", "shift+f5"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "key 64 (Caps Lock): Left Shift+F5 (20023e), written to the keyboard\n");
    EXPECT_EQ(keySlot(44), (std::vector<uint8_t>{0x20, 0x02, 0x3E}));
    const Json::Value keys = showJson()["keys"];
    EXPECT_EQ(keyRow(keys, 45)["function"].asString(), "Page Up");
    EXPECT_EQ(keyRow(keys, 64)["name"].asString(), "Caps Lock");
}

TEST_F(HalvernctlKeyboardTest, CustomColoursGoToTheKeysLedPositionInTheCurrentGroup) {
    // The keyboard starts in mode 1: the command switches it to the custom colour mode first, and says so
    // in its one line. The key goes by its name: the key whose own function is A.
    CtlRun r = run({"custom-color", "--key", "a", "a0b0c0"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(
        r.out,
        "key 65 (A): colour a0b0c0, written to the keyboard (light mode switched to Custom key colours)\n");
    EXPECT_EQ(record(1, 1)[0], 20);
    EXPECT_EQ(customColour(0, kLedOfKey64), (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));
    const Json::Value keys = showJson()["keys"];
    EXPECT_EQ(keyRow(keys, 65)["customColor"].asString(), "a0b0c0");
    EXPECT_NE(keyRow(keys, 1)["customColor"].asString(), "a0b0c0");
    EXPECT_NE(customColour(0, 0), (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));

    ASSERT_EQ(run({"light", "--mode", "20", "--group", "2"}).code, kExitOk);
    r = run({"custom-color", "--all", "0000ff"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "122 keys: colour 0000ff, written to the keyboard\n");
    EXPECT_EQ(customColour(2, kLedOfKey64), (std::vector<uint8_t>{0, 0, 0xFF}));
    EXPECT_EQ(customColour(2, 0), (std::vector<uint8_t>{0, 0, 0xFF}));
    EXPECT_EQ(customColour(0, kLedOfKey64), (std::vector<uint8_t>{0xA0, 0xB0, 0xC0}));  // group 0 kept

    r = run({"custom-color", "--off"});
    ASSERT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "every key dark, written to the keyboard\n");
    EXPECT_EQ(customColour(2, kLedOfKey64), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(HalvernctlKeyboardTest, TheReceiverTakesNoCustomColoursAndTheMouseStaysTheDefault) {
    ASSERT_TRUE(emulator.detach(emu::Product::Keyboard));
    keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Receiver);
    ASSERT_TRUE(keyboard);
    CtlRun r = run({"custom-color", "--all", "ffffff"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err,
              "halvernctl: the keyboard takes custom colours only on its cable, not through its receiver\n");
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), 0u);
    EXPECT_EQ(keyboard->firmware().commandCount(0x06), 0u);

    // With a mouse attached too, the shared commands mean the mouse unless told otherwise.
    auto mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    ASSERT_TRUE(mouse);
    ASSERT_EQ(run({"polling", "--device", "keyboard", "2"}).code, kExitOk);
    EXPECT_EQ(record(23, 1)[0], 1);
    EXPECT_EQ(mouse->firmware().commandCount(0x06), 0u);
    ASSERT_EQ(run({"polling", "5"}).code, kExitOk);  // 5 is the mouse's highest index, not the keyboard's
    EXPECT_EQ(mouse->firmware().region(Region::Settings)[11], 4);
    EXPECT_EQ(record(23, 1)[0], 1);
}

TEST_F(HalvernctlKeyboardTest, ARefusedRecordExitsOneAndKeepsTheProfile) {
    keyboard->setFaults({.replyStatus = 0xFF});
    CtlRun r = run({"flags", "--w", "1"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(r.err.rfind("halvernctl: the keyboard refused the settings (", 0), 0u) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u);
    EXPECT_EQ(record(20, 1)[0], 0);
    r = run({"custom-color", "--all", "ffffff"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    r = run({"show", "keyboard"});
    EXPECT_EQ(r.code, kExitDeviceError);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;

    keyboard->setFaults({});
    const Json::Value json = showJson();
    EXPECT_EQ(json["wFlag"].asInt(), 0);
    EXPECT_EQ(json["light"]["mode"].asInt(), 1);
}

TEST_F(HalvernctlKeyboardTest, UsageErrorsExitTwoWithOneLineAndWriteNothing) {
    const std::vector<std::vector<std::string>> lines{
        {"show", "keyboard", "extra"},
        {"flags", "--w", "2"},
        {"flags", "--caps", "1"},
        {"repeat", "--rate", "32"},
        {"repeat", "--delay", "4"},
        {"polling", "5"},
        {"polling", "0"},
        {"polling", "--screen", "1920x1080", "1"},
        {"polling", "--device", "toaster", "1"},
        {"polling", "1", "--device"},
        {"polling", "--device", "keyboard", "--device", "mouse", "1"},
        {"light", "--zzcc", "1"},
        {"light", "--mode", "5", "--zzcc", "4"},
        {"light", "--mode", "5", "--group", "5"},
        {"light", "--mode", "31"},
        {"light", "--mode", "17"},  // hidden in the keyboard's mode list
        {"light", "--mode", "5", "--screen", "1920x1080"},
        {"key", "170", "200004"},
        {"key", "0", "200004"},
        {"key", "20", "200004"},
        {"key", "64", "2000"},
        {"custom-color"},
        {"custom-color", "--all"},
        {"custom-color", "--all", "fffff"},
        {"custom-color", "--key", "170", "ffffff"},
        {"custom-color", "--key", "64"},
        {"custom-color", "--off", "now"},
        {"write-macros", "now"},
        {"macro", "--device", "keyboard"},
        // Words beyond what a command takes, names that name nothing.
        {"flags", "now", "--w", "1"},
        {"repeat", "--rate", "3", "x"},
        {"polling", "1", "2"},
        {"light", "--list", "--device", "keyboard", "x"},
        {"light", "--mode", "flow"},  // a mouse mode
        {"key", "W"},
        {"key", "W", "G", "x"},
        {"key", "Disabled", "G"},  // keys without a function of their own have no name
        {"custom-color", "--key", "W", "ff0000", "x"},
        {"custom-color", "--key", "Hyper", "ff0000"},
        {"custom-color", "--all", "ff0000", "--off"},
    };
    for (const auto& words : lines) {
        const CtlRun r = run(words);
        std::string line;
        for (const auto& w : words) line += w + ' ';
        EXPECT_EQ(r.code, kExitUsage) << line;
        EXPECT_EQ(lineCount(r.err), 1u) << line << r.err;
        EXPECT_TRUE(r.out.empty()) << line << r.out;
    }
    EXPECT_EQ(keyboard->firmware().commandCount(0x06), 0u);
    EXPECT_EQ(keyboard->firmware().commandCount(0x09), 0u);
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), 0u);
}

}  // namespace
}  // namespace halvern::cli
