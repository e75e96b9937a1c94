// Every name `show` prints for what a button or key does is a name `key` takes back to the same code: each
// function of the key editor (on the mouse and on the keyboard), the functions only the devices' own tables
// hold, macros by name, modifier combinations and functions with numbers.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/key_names.h"
#include "cli/macro_command.h"
#include "cli/shared_commands.h"
#include "cli/show_command.h"
#include "ctl_fixture.h"

namespace halvern::cli {
namespace {

const CtlCommands kCommands{
    {"show", runShowCommand},
    {"key", runKeyCommand},
    {"macro", runMacroCommand},
};

/// What show printed for one named item: the function's name and its code.
struct Shown {
    std::string function;
    std::string code;
};

/// A word to type, and the code it must give (empty: any code, as long as it round-trips).
struct Case {
    std::string word;
    std::string code;
};

/// Words whose code the test states: the combinations, the numbers and the names with several readings.
const std::vector<Case> kStatedCases{
    {"Disabled", "200000"},
    {"DPI shift", "169001"},
    {"Ctrl+Shift+C", "200306"},
    {"ctrl+SHIFT+c", "200306"},
    {"Left Ctrl+Left Shift+C", "200306"},
    {"Ctrl+Alt+Delete", "20054c"},
    {"Right Alt+Left Shift+F12", "204245"},
    {"Super+Page Up", "20084b"},
    {"Alt+Num +", "200457"},
    {"Left Ctrl+Left Shift", "200300"},
    {"Ctrl+C", "200106"},
    {"Fire key", "147802"},
    {"fire key, interval 30, count 7", "141e07"},
    {"Swing left, count 3, delay 2, speed 4", "112403"},
    {"Swing right, count 127", "1100ff"},
    {"Swing up, count 5, speed 15", "120f05"},
    {"Swing down, count 1", "1200ff"},
    {"swing down, count 128, delay 15", "12f080"},
    {"macro Jump", "700000"},
    {"MACRO jump, repeat mode 4", "700003"},
    {"macro Jump, times 9", "710009"},
    {"macro Burst, fast", "700100"},
    {"macro burst, fast, times 2", "710102"},
    {"macro Jump up", "700200"},  // one name without its space, another with it
    {"macro jumpup", "700300"},
    {"Recoil pattern 2", "720100"},
    {"Cut", "220000"},
    {"Show Halvern", "230000"},
};

class HalvernctlKeyNamesTest : public CtlFixture {
protected:
    HalvernctlKeyNamesTest() : CtlFixture(kCommands) {}

    void SetUp() override {
        ASSERT_TRUE(emulator.attach(emu::Product::Mouse, emu::Attachment::Cable));
        ASSERT_TRUE(emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable));
    }

    /// Every named item's function as `show DEVICE` prints it ("key 44 (W): Page Up (20004b), LED 44").
    std::map<std::string, Shown> show(const std::string& device) {
        const CtlRun r = run({"show", device});
        EXPECT_EQ(r.code, kExitOk) << r.err;
        static const std::regex kLine(R"(^(?:button|key) (\d+) \((.+?)\): (.*) \(([0-9a-f]{6})\)(?:, .*)?$)");
        std::map<std::string, Shown> items;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            std::smatch m;
            if (!std::regex_match(line, m, kLine)) continue;
            // A word of digits is always a number, so the digit keys are named by their numbers.
            const std::string name = m[2];
            const bool digits = std::ranges::all_of(name, [](char c) { return c >= '0' && c <= '9'; });
            items[digits ? std::string(m[1]) : name] = {m[3], m[4]};
        }
        return items;
    }

    /// Adds a macro and gives it `name`, finding its number in the list by its first name.
    void addMacro(const std::string& device, const std::string& name) {
        ASSERT_EQ(run({"macro", "--device", device, "add"}).code, kExitOk);
        const CtlRun list = run({"macro", "--device", device, "list"});
        std::istringstream lines(list.out);
        std::string number;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string first, macroName;
            words >> first >> macroName;
            if (macroName.starts_with("macro_")) number = first;
        }
        ASSERT_FALSE(number.empty()) << list.out;
        const CtlRun r = run({"macro", "--device", device, "rename", number, name});
        ASSERT_EQ(r.code, kExitOk) << r.err;
    }

    /// Gives each item a word of `cases` in turn (as many at once as there are items), reads what show
    /// prints for it, types that back and expects the same name and code.
    void roundTrip(const std::string& device, const std::vector<std::string>& items,
                   const std::vector<Case>& cases) {
        for (size_t from = 0; from < cases.size(); from += items.size()) {
            const size_t count = std::min(items.size(), cases.size() - from);
            for (size_t i = 0; i < count; ++i) {
                const CtlRun r = run({"key", "--device", device, items[i], cases[from + i].word});
                ASSERT_EQ(r.code, kExitOk) << cases[from + i].word << ": " << r.err;
            }
            const std::map<std::string, Shown> first = show(device);
            for (size_t i = 0; i < count; ++i) {
                const Case& c = cases[from + i];
                ASSERT_TRUE(first.contains(items[i])) << items[i];
                const Shown& shown = first.at(items[i]);
                EXPECT_FALSE(shown.function.empty()) << c.word;
                if (!c.code.empty()) {
                    EXPECT_EQ(shown.code, c.code) << device << ": " << c.word;
                }
                const CtlRun r = run({"key", "--device", device, items[i], shown.function});
                EXPECT_EQ(r.code, kExitOk)
                    << "'" << shown.function << "' printed for '" << c.word << "': " << r.err;
            }
            const std::map<std::string, Shown> second = show(device);
            for (size_t i = 0; i < count; ++i) {
                const Shown& a = first.at(items[i]);
                const Shown& b = second.at(items[i]);
                EXPECT_EQ(b.code, a.code)
                    << device << ": '" << a.function << "' (typed as '" << cases[from + i].word << "')";
                EXPECT_EQ(b.function, a.function);
            }
        }
    }

    /// A name of every function the lists offer (one per code; the keyboard keys only with `keys`), then
    /// the stated cases.
    static std::vector<Case> everyFunction(bool keys) {
        constexpr long kKeyboardType = 0x20;
        std::vector<Case> cases;
        std::set<long> codes;
        const EnglishTexts texts;
        for (const NamedChoice& f : functionChoices(texts)) {
            if ((keys || f.value >> 16 != kKeyboardType) && codes.insert(f.value).second)
                cases.push_back({f.shown, {}});
        }
        cases.insert(cases.end(), kStatedCases.begin(), kStatedCases.end());
        return cases;
    }
};

// The keyboard takes every function; the mouse, whose key editor names them alike, the functions that are
// not keyboard keys.
TEST_F(HalvernctlKeyNamesTest, EveryNameShowPrintsGivesTheSameCodeWhenTyped) {
    for (const std::string device : {"mouse", "keyboard"}) {
        addMacro(device, "Jump");
        addMacro(device, "Burst, fast");
        addMacro(device, "Jump up");
        addMacro(device, "JumpUp");
    }
    // The mouse's buttons by what they do out of the box (the left button keeps its left click).
    roundTrip("mouse",
              {"Right button", "Middle button", "Forward", "Back", "DPI up", "DPI down", "DPI cycle",
               "Game mode", "DPI shift", "Fire key"},
              everyFunction(false));
    std::vector<std::string> keys;
    for (char c = 'A'; c <= 'Z'; ++c) keys.emplace_back(1, c);
    for (int f = 1; f <= 12; ++f) keys.push_back("F" + std::to_string(f));
    roundTrip("keyboard", keys, everyFunction(true));
}

// What the devices hold out of the box reads back as itself: every named item's printed function, typed
// back onto the item, leaves its code as it was.
TEST_F(HalvernctlKeyNamesTest, TheFactoryFunctionsShowPrintsAreTakenBack) {
    for (const std::string device : {"mouse", "keyboard"}) {
        const std::map<std::string, Shown> before = show(device);
        ASSERT_GT(before.size(), 10u);
        for (const auto& [item, shown] : before) {
            const CtlRun r = run({"key", "--device", device, item, shown.function});
            EXPECT_EQ(r.code, kExitOk) << item << ": '" << shown.function << "': " << r.err;
        }
        const std::map<std::string, Shown> after = show(device);
        for (const auto& [item, shown] : before) EXPECT_EQ(after.at(item).code, shown.code) << item;
    }
}

// The functions with numbers, over their whole code space at the edges of each byte: the name printed for a
// code reads back to that code (the wheel's second direction counts down from 128).
TEST(HalvernctlFunctionNumbers, EveryCodeOfAFunctionWithNumbersReadsBackFromItsName) {
    const EnglishTexts texts;
    const std::vector<NamedChoice> functions = functionChoices(texts);
    const std::vector<std::string> macros{"Jump", "Burst, fast"};
    const std::vector<uint8_t> edges{0x00, 0x01, 0x0F, 0x10, 0x7E, 0x7F, 0x80, 0x81, 0xF0, 0xFE, 0xFF};
    std::vector<std::pair<uint8_t, uint8_t>> bytes;
    for (int all = 0; all < 256; ++all) {
        for (const uint8_t edge : edges) {
            bytes.emplace_back(static_cast<uint8_t>(all), edge);
            bytes.emplace_back(edge, static_cast<uint8_t>(all));
        }
    }
    for (const uint8_t type : {0x11, 0x12, 0x14}) {
        for (const auto& [c1, c2] : bytes) {
            const KeyAssignment a{0, type, c1, c2};
            const std::string name = assignmentName(a, macros, functions, texts);
            std::string problem;
            const auto word = parseFunctionWord(name, functions, texts, problem);
            ASSERT_TRUE(word) << name << ": " << problem;
            EXPECT_EQ(word->code, (key_table::Code{type, c1, c2})) << name;
        }
    }
    for (const uint8_t type : {0x70, 0x71}) {
        for (uint8_t macro = 0; macro < macros.size(); ++macro) {
            for (int repeat = type == 0x70 ? 0 : 1; repeat <= (type == 0x70 ? 3 : 255); ++repeat) {
                const KeyAssignment a{0, type, macro, static_cast<uint8_t>(repeat)};
                const std::string name = assignmentName(a, macros, functions, texts);
                std::string problem;
                const auto word = parseFunctionWord(name, functions, texts, problem);
                ASSERT_TRUE(word && word->macro) << name << ": " << problem;
                EXPECT_EQ(word->macro->name, macros[macro]) << name;
                EXPECT_EQ(word->macro->type, type) << name;
                EXPECT_EQ(word->macro->repeat, repeat) << name;
            }
        }
    }
}

// Words that name nothing, or a function with numbers it does not take, are refused as usage.
TEST_F(HalvernctlKeyNamesTest, BadFunctionWordsAreUsageErrors) {
    addMacro("mouse", "Jump");
    const std::vector<std::pair<std::string, std::string>> refused{
        {"Fire key, count 256", "'Fire key' takes interval 0-255, count 0-255"},
        {"Fire key, speed 1", "'Fire key' takes interval 0-255, count 0-255"},
        {"Swing left, delay 16", "'Swing left' takes count 0-127, delay 0-15, speed 0-15"},
        {"Swing down, count 0", "'Swing down' takes count 1-128, delay 0-15, speed 0-15"},
        {"macro Jump, times 0", "'macro' takes repeat mode 1-4, times 1-255"},
        {"macro Jump, repeat mode 2, times 3",
         "a macro plays in a repeat mode or a number of times, not both"},
        {"macro Hop", "'Hop' is not a macro; macro names: Jump"},
        {"Ctrl+Hyper", "'Ctrl+Hyper' is not a key or function"},
    };
    for (const auto& [word, message] : refused) {
        const CtlRun r = run({"key", "Forward", word});
        EXPECT_EQ(r.code, kExitUsage) << word;
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace halvern::cli
