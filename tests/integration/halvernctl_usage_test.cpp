// halvernctl's command line as a whole, run in-process as its main() runs it, on emulated devices: the
// same exit code and one line for the same kind of mistake in every command, help from the command table,
// "--", --json anywhere, and "-" as standard input and output.

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "cli/standard_files.h"
#include "temp_env.h"

namespace halvern::cli {
namespace {

struct LineRun {
    int code = -1;
    std::string out, err;
};

const std::vector<std::string> kEmulate{"--emulate", "mouse,keyboard,mousepad,headset"};

class UsageTest : public ::testing::Test {
protected:
    /// One command line on every kind of emulated device, as halvernctl's main() runs it; `input` is
    /// standard input.
    [[nodiscard]] LineRun run(std::vector<std::string> words, const std::string& input = {}) const {
        words.insert(words.begin(), kEmulate.begin(), kEmulate.end());
        LineRun r;
        std::ostringstream out, err;
        std::istringstream in(input);
        const StandardInput taken = takeStandardInput(words, in, err);
        r.code = taken.failure != 0 ? taken.failure : runCommandLine(words, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    test::TempDir data;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", data.path().string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (data.path() / "config").string()};
};

size_t lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

/// What a mistake must give: its exit code, and a fragment of its one line on standard error.
struct Mistake {
    std::vector<std::string> words;
    int code;
    std::string says;
};

/// Checks one mistake: nothing on standard output, one prefixed line on standard error that names the
/// problem, and for a usage mistake the help to read.
void expectMistake(const Mistake& m, const LineRun& r) {
    std::string line;
    for (const std::string& w : m.words) line += w + ' ';
    EXPECT_EQ(r.code, m.code) << line << "\n" << r.err;
    EXPECT_EQ(lines(r.err), 1u) << line << "\n" << r.err;
    EXPECT_TRUE(r.err.starts_with("halvernctl: ")) << line << "\n" << r.err;
    EXPECT_NE(r.err.find(m.says), std::string::npos) << line << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << line << "\n" << r.out;
    if (m.code == kExitUsage && findCommandRow(m.words[0])) {
        EXPECT_NE(r.err.find("; see 'halvernctl help " + m.words[0] + "'\n"), std::string::npos) << r.err;
    }
}

TEST_F(UsageTest, EveryCommandRefusesAnUnknownOptionWithOneLine) {
    for (const CommandRow& command : commandTable()) {
        const Mistake m{
            {std::string(command.name), "--no-such-option"}, kExitUsage, "unknown option --no-such-option"};
        expectMistake(m, run(m.words));
    }
    // Before the command too, and an unknown command.
    expectMistake(
        {{"--no-such-option"}, kExitUsage, "unknown option --no-such-option; see 'halvernctl --help'"},
        run({"--no-such-option", "list"}));
    expectMistake({{"frobnicate"}, kExitUsage, "unknown command 'frobnicate'; see 'halvernctl --help'"},
                  run({"frobnicate"}));
    expectMistake({{"help"}, kExitUsage, "unknown command 'frobnicate'"}, run({"help", "frobnicate"}));
    expectMistake({{"help"}, kExitUsage, "a command is needed"}, run({}));
}

TEST_F(UsageTest, EachKindOfMistakeGivesTheSameExitCodeInEveryCommand) {
    // Numbers that are out of range whichever way the command counts, so the rows hold for both.
    const std::vector<Mistake> mistakes{
        // A word missing.
        {{"info"}, kExitUsage, "a device kind is needed"},
        {{"show"}, kExitUsage, "a device kind is needed"},
        {{"profile", "mouse"}, kExitUsage, "a device kind and a verb are needed"},
        {{"profile", "mouse", "rename"}, kExitUsage, "rename takes one word"},
        {{"dpi", "--dpi", "800"}, kExitUsage, "dpi:"},
        {{"dpi-active"}, kExitUsage, "dpi-active:"},
        {{"polling"}, kExitUsage, "polling:"},
        {{"headset"}, kExitUsage, "headset:"},
        {{"headset", "band", "1"}, kExitUsage, "band takes"},
        {{"key", "1"}, kExitUsage, "key:"},
        {{"custom-color"}, kExitUsage, "one of --all, --key or --off is needed"},
        {{"macro"}, kExitUsage, "a verb is needed"},
        {{"macro", "rename"}, kExitUsage, "rename takes"},
        {{"recoil", "show"}, kExitUsage, "recoil:"},
        {{"recoil", "set", "1", "1", "--x", "1"}, kExitUsage, "set takes"},
        {{"same-mode"}, kExitUsage, "same-mode:"},
        {{"effect", "mouse"}, kExitUsage, "effect:"},
        {{"dpi", "1", "--dpi"}, kExitUsage, "--dpi needs a value"},
        // A word too many.
        {{"list", "extra"}, kExitUsage, "takes no words"},
        {{"doctor", "extra"}, kExitUsage, "doctor:"},
        {{"info", "mouse", "extra"}, kExitUsage, "'extra'"},
        {{"show", "mouse", "extra"}, kExitUsage, "takes no more words"},
        {{"show", "headset", "extra"}, kExitUsage, "takes no more words"},
        {{"profile", "mouse", "list", "extra"}, kExitUsage, "takes no more words"},
        {{"dpi", "1", "2", "--dpi", "800"}, kExitUsage, "dpi:"},
        {{"dpi-active", "1", "2"}, kExitUsage, "dpi-active:"},
        {{"polling", "1", "2"}, kExitUsage, "polling:"},
        {{"key", "1", "Left button", "extra"}, kExitUsage, "key:"},
        {{"flags", "extra"}, kExitUsage, "flags:"},
        {{"repeat", "extra"}, kExitUsage, "repeat:"},
        {{"write-macros", "extra"}, kExitUsage, "write-macros:"},
        {{"macro", "list", "extra"}, kExitUsage, "macro:"},
        {{"recoil", "reset", "1", "extra"}, kExitUsage, "reset takes"},
        {{"headset", "frame", "extra"}, kExitUsage, "frame takes no other words"},
        {{"headset", "mic", "extra"}, kExitUsage, "unexpected word 'extra'"},
        {{"custom-color", "--off", "extra"}, kExitUsage, "custom-color:"},
        {{"same-mode", "extra", "--from", "mouse"}, kExitUsage, "same-mode:"},
        {{"language", "1", "2"}, kExitUsage, "language:"},
        {{"update-check", "extra"}, kExitUsage, "takes no words"},
        // Not a number.
        {{"dpi", "one", "--dpi", "800"}, kExitUsage, "'one'"},
        {{"dpi-active", "one"}, kExitUsage, "'one'"},
        {{"polling", "fast"}, kExitUsage, "'fast'"},
        {{"light", "--mode", "1", "--brightness", "high"}, kExitUsage, "'high'"},
        {{"flags", "--w", "yes"}, kExitUsage, "'yes'"},
        {{"repeat", "--rate", "quick"}, kExitUsage, "'quick'"},
        {{"headset", "eq", "rock"}, kExitUsage, "'rock'"},
        {{"headset", "band", "one", "3"}, kExitUsage, "'one'"},
        {{"headset", "mic", "--level", "loud"}, kExitUsage, "'loud'"},
        {{"recoil", "show", "first"}, kExitUsage, "recoil:"},
        {{"macro", "show", "first"}, kExitUsage, "macro:"},
        {{"effect", "mouse", "1", "--frames", "many"}, kExitUsage, "effect:"},
        // A number out of its range.
        {{"dpi", "99", "--dpi", "800"}, kExitUsage, "'99'"},
        {{"dpi-active", "99"}, kExitUsage, "'99'"},
        {{"polling", "99"}, kExitUsage, "polling:"},
        {{"light", "--mode", "1", "--speed", "9"}, kExitUsage, "'9'"},
        {{"flags", "--w", "2"}, kExitUsage, "'2'"},
        {{"repeat", "--rate", "99"}, kExitUsage, "'99'"},
        {{"headset", "eq", "99"}, kExitUsage, "'99'"},
        {{"headset", "band", "99", "0"}, kExitUsage, "'99'"},
        {{"headset", "band", "1", "99"}, kExitUsage, "'99'"},
        {{"headset", "voice", "--type", "9"}, kExitUsage, "'9'"},
        {{"headset", "mic", "--level", "101"}, kExitUsage, "'101'"},
        {{"headset", "custom-eq", "select", "99"}, kExitUsage, "'99'"},
        {{"key", "999", "Left button"}, kExitUsage, "key:"},
        {{"recoil", "show", "99"}, kExitUsage, "recoil:"},
        {{"recoil", "show", "1", "99"}, kExitUsage, "recoil:"},
        {{"macro", "show", "99"}, kExitUsage, "macro:"},
        {{"effect", "mouse", "1", "--frames", "0"}, kExitUsage, "effect:"},
        {{"language", "99"}, kExitUsage, "language:"},
        // A name that is not known.
        {{"info", "toaster"}, kExitUsage, "'toaster'"},
        {{"show", "toaster"}, kExitUsage, "'toaster'"},
        {{"profile", "toaster", "list"}, kExitUsage, "'toaster'"},
        {{"profile", "mouse", "juggle"}, kExitUsage, "'juggle'"},
        {{"light", "--mode", "no-such-mode"}, kExitUsage, "light:"},
        {{"light", "--device", "toaster", "--mode", "1"}, kExitUsage, "'toaster'"},
        {{"polling", "--device", "toaster", "1"}, kExitUsage, "'toaster'"},
        {{"key", "1", "no-such-function"}, kExitUsage, "key:"},
        {{"key", "no-such-button", "Left button"}, kExitUsage, "key:"},
        {{"same-mode", "--from", "toaster"}, kExitUsage, "same-mode:"},
        {{"macro", "juggle"}, kExitUsage, "'juggle'"},
        {{"recoil", "juggle", "1"}, kExitUsage, "'juggle'"},
        {{"headset", "juggle"}, kExitUsage, "headset:"},
        {{"headset", "eq", "custom", "rock"}, kExitUsage, "eq takes"},
        {{"effect", "toaster", "1"}, kExitUsage, "effect:"},
        // Refused: a file that is missing or is not what it should be.
        {{"profile", "mouse", "import", "/nonexistent/p.json"}, kExitDeviceError, "no such file"},
        {{"macro", "import", "/nonexistent/m.json"}, kExitDeviceError, "cannot import /nonexistent/m.json"},
        {{"recoil", "import", "1", "/nonexistent/r.json"},
         kExitDeviceError,
         "cannot import /nonexistent/r.json"},
        // Failed: the emulator's folder or capture file cannot be made.
        {{"--capture", "/nonexistent/capture.txt", "list"}, kExitDeviceError, "/nonexistent/capture.txt"},
        {{"--emulator-state", "/proc/no-state-here", "list"}, kExitDeviceError, "/proc/no-state-here"},
    };
    for (const Mistake& m : mistakes) expectMistake(m, run(m.words));
}

TEST_F(UsageTest, HelpComesFromTheCommandTableForEveryCommand) {
    // Every command the program carries out has its entry, and every entry is carried out.
    std::vector<std::string_view> table, runnable = runnableCommands();
    for (const CommandRow& command : commandTable()) table.push_back(command.name);
    std::sort(table.begin(), table.end());
    std::sort(runnable.begin(), runnable.end());
    EXPECT_EQ(table, runnable);

    const LineRun general = run({"--help"});
    EXPECT_EQ(general.code, kExitOk);
    EXPECT_EQ(general.out, generalUsage());
    EXPECT_EQ(run({"help"}).out, generalUsage());
    for (const CommandRow& command : commandTable()) {
        const std::string name(command.name);
        EXPECT_NE(general.out.find("\n  " + name + " "), std::string::npos) << name;
        for (const auto& words : std::vector<std::vector<std::string>>{{"help", name},
                                                                       {name, "--help"},
                                                                       {name, "-h"},
                                                                       {name, "1", "--help"},
                                                                       {"--json", name, "--help"}}) {
            const LineRun r = run(words);
            EXPECT_EQ(r.code, kExitOk) << name << r.err;
            EXPECT_EQ(r.out, commandHelp(command)) << name;
            EXPECT_TRUE(r.err.empty()) << r.err;
        }
        // The help names every form and every option the command takes.
        const std::string help = commandHelp(command);
        EXPECT_TRUE(help.starts_with("usage: halvernctl " + name)) << help;
        for (const OptionRow& option : command.options) EXPECT_NE(help.find(option.name), std::string::npos);
    }
    // The numbering of the shared decision, as help says it.
    EXPECT_NE(commandHelp(*findCommandRow("dpi")).find("STAGE is 1-6"), std::string::npos);
    EXPECT_NE(commandHelp(*findCommandRow("recoil")).find("GUN is 1-4, SHOT 1-30"), std::string::npos);
    EXPECT_NE(commandHelp(*findCommandRow("headset")).find("BAND 1-10"), std::string::npos);
}

TEST_F(UsageTest, TheParsersTakeEveryOptionTheTableOffers) {
    // Each option with a value the table says it takes, on the form it goes with: whatever else the line
    // lacks, the option is never the one refused.
    for (const CommandRow& command : commandTable()) {
        for (const OptionRow& option : command.options) {
            if (option.name == "--json") continue;  // taken by the program for every command
            std::vector<std::string> words{std::string(command.name)};
            WordList verbs(option.verbs.empty() ? command.firstWords : option.verbs);
            if (const std::string_view verb = verbs.next(); !verb.empty()) words.emplace_back(verb);
            WordList needs(option.needs);
            for (std::string_view word = needs.next(); !word.empty(); word = needs.next())
                words.emplace_back(word);
            words.emplace_back(option.name);
            if (!option.example.empty()) words.emplace_back(option.example);
            const LineRun r = run(words);
            EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << command.name << ' ' << r.err;
            EXPECT_EQ(r.err.find("'" + std::string(option.name) + "'"), std::string::npos) << r.err;
        }
    }
}

TEST_F(UsageTest, DoubleHyphenEndsTheOptionsAndJsonStandsAnywhere) {
    // A name that begins with hyphens, after "--".
    LineRun r = run({"profile", "mouse", "rename", "--", "--json"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "renamed to --json\n");
    r = run({"profile", "mouse", "rename", "--weird"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("unknown option --weird"), std::string::npos) << r.err;

    // --json before the command, after it, and at the end of the line mean the same; after "--" a word.
    const std::string before = run({"--json", "profile", "mouse", "list"}).out;
    EXPECT_EQ(run({"profile", "--json", "mouse", "list"}).out, before);
    EXPECT_EQ(run({"profile", "mouse", "list", "--json"}).out, before);
    r = run({"show", "--", "--json"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("'--json'"), std::string::npos) << r.err;

    // A command word after "--" among the program's options.
    EXPECT_EQ(run({"--", "list"}).code, kExitOk);
}

TEST_F(UsageTest, HyphenIsStandardOutputAndInputForEveryFile) {
    // A recoil pattern out through standard output and into another gun through standard input.
    ASSERT_EQ(run({"recoil", "set", "1", "1", "--x", "3", "--y", "-4", "--delay", "90"}).code, kExitOk);
    const LineRun pattern = run({"recoil", "export", "1", "-"});
    ASSERT_EQ(pattern.code, kExitOk) << pattern.err;
    Json::Value parsed;
    ASSERT_TRUE(Json::Reader().parse(pattern.out, parsed)) << pattern.out;  // the file, and nothing else
    ASSERT_EQ(run({"recoil", "import", "2", "-"}, pattern.out).code, kExitOk);
    EXPECT_EQ(run({"recoil", "export", "2", "-"}).out, pattern.out);
    // What is not a pattern is refused and changes nothing.
    const LineRun refused = run({"recoil", "import", "2", "-"}, "not a pattern\n");
    EXPECT_EQ(refused.code, kExitDeviceError);
    EXPECT_EQ(lines(refused.err), 1u);
    EXPECT_EQ(run({"recoil", "export", "2", "-"}).out, pattern.out);

    // A profile the same way, named as a profile without a name of its own is.
    const LineRun profile = run({"profile", "mouse", "export", "-"});
    ASSERT_EQ(profile.code, kExitOk) << profile.err;
    ASSERT_TRUE(Json::Reader().parse(profile.out, parsed)) << profile.out;
    const LineRun imported = run({"profile", "mouse", "import", "-"}, profile.out);
    ASSERT_EQ(imported.code, kExitOk) << imported.err;
    EXPECT_NE(run({"profile", "mouse", "list"}).out.find("\tprofile"), std::string::npos);

    // A macro: empty standard input is no macro.
    const LineRun empty = run({"macro", "import", "-"});
    EXPECT_EQ(empty.code, kExitDeviceError);
    EXPECT_EQ(lines(empty.err), 1u) << empty.err;

    // Standard input beyond the bound is refused before anything is read into the command.
    const LineRun tooMuch = run({"macro", "import", "-"}, std::string(kMaxStandardInput + 1, ' '));
    EXPECT_EQ(tooMuch.code, kExitDeviceError);
    EXPECT_NE(tooMuch.err.find("more than 16 MiB"), std::string::npos) << tooMuch.err;

    // A FILE named "-" after "--" is still standard input (it is a word either way), while a "-" that is
    // not a FILE is left alone.
    std::vector<std::string> words{"profile", "mouse", "rename", "-"};
    std::istringstream in("ignored");
    std::ostringstream err;
    const StandardInput none = takeStandardInput(words, in, err);
    EXPECT_FALSE(none.file);
    EXPECT_EQ(words.back(), "-");
}

}  // namespace
}  // namespace halvern::cli
