// The manual page and the bash completion written from the command table: every command and option is
// in them, the completion offers what the parsers take, and the page is valid man(7) markup.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "cli/command_docs.h"
#include "cli/command_table.h"
#include "temp_env.h"

namespace halvern::cli {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Standard output of a shell command line; empty when it could not run.
std::string commandOutput(const std::string& line) {
    std::string text;
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << line;
    }
    return text;
}

std::set<std::string> wordsOf(std::string_view list) {
    std::set<std::string> words;
    WordList all(list);
    for (std::string_view w = all.next(); !w.empty(); w = all.next()) words.emplace(w);
    return words;
}

class DocsTest : public ::testing::Test {
protected:
    /// What the completion offers for each case's words (the last one being completed), in one shell.
    std::map<std::string, std::set<std::string>> complete(const std::map<std::string, std::string>& cases) {
        const auto script = dir.path() / "halvernctl.bash";
        std::ofstream(script) << bashCompletion();
        std::string program = "source '" + script.string() + "' || exit 3\n";
        for (const auto& [name, words] : cases) {
            program += "COMP_WORDS=(halvernctl " + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1));";
            program += " _halvernctl; echo \"" + name + ":${COMPREPLY[*]}\"\n";
        }
        const auto file = dir.path() / "cases.sh";
        std::ofstream(file) << program;
        std::map<std::string, std::set<std::string>> offered;
        std::istringstream lines(
            commandOutput("cd '" + dir.path().string() + "' && bash '" + file.string() + "'"));
        for (std::string line; std::getline(lines, line);) {
            const size_t colon = line.find(':');
            if (colon != std::string::npos) offered[line.substr(0, colon)] = wordsOf(line.substr(colon + 1));
        }
        EXPECT_EQ(offered.size(), cases.size());
        return offered;
    }

    test::TempDir dir;
};

TEST_F(DocsTest, CompletionOffersEveryCommandAndExactlyTheOptionsTheTableGives) {
    std::map<std::string, std::string> cases{{"commands", "''"}, {"global", "--"}, {"help", "help ''"}};
    for (const CommandRow& command : commandTable()) {
        const std::string name(command.name);
        cases["options " + name] = name + " --";
        if (!command.firstWords.empty()) cases["first " + name] = "--json " + name + " ''";
        if (!command.secondWords.empty()) {
            cases["second " + name] = name + " " + std::string(WordList(command.firstWords).next()) + " ''";
        }
        for (const OptionRow& option : command.options) {
            if (option.choices.empty()) continue;
            const std::string words = name + " " + std::string(option.name) + " ''";
            cases["value " + name + std::string(option.name)] = words;
        }
    }
    const auto offered = complete(cases);

    std::set<std::string> commands{"help"};
    for (const CommandRow& command : commandTable()) commands.emplace(command.name);
    EXPECT_EQ(offered.at("commands"), commands);
    EXPECT_TRUE(offered.at("commands").contains("headset"));
    EXPECT_TRUE(offered.at("commands").contains("recoil"));
    commands.erase("help");
    EXPECT_EQ(offered.at("help"), commands);
    std::set<std::string> global;
    for (const OptionRow& option : globalOptionTable()) global.emplace(option.name);
    EXPECT_EQ(offered.at("global"), global);

    for (const CommandRow& command : commandTable()) {
        const std::string name(command.name);
        std::set<std::string> options{"--json", "--help"};
        for (const OptionRow& option : command.options) options.emplace(option.name);
        EXPECT_EQ(offered.at("options " + name), options) << name;
        if (!command.firstWords.empty()) {
            EXPECT_EQ(offered.at("first " + name), wordsOf(command.firstWords)) << name;
        }
        if (!command.secondWords.empty()) {
            EXPECT_EQ(offered.at("second " + name), wordsOf(command.secondWords)) << name;
        }
        for (const OptionRow& option : command.options) {
            if (option.choices.empty()) continue;
            EXPECT_EQ(offered.at("value " + name + std::string(option.name)), wordsOf(option.choices))
                << option.name;
        }
    }
}

TEST_F(DocsTest, CompletionOffersFilesWhereACommandTakesOne) {
    std::ofstream(dir.path() / "pattern.json") << "{}";
    const auto offered = complete({{"recoil", "recoil import 1 ''"},
                                   {"macro", "macro --device mouse import ''"},
                                   {"profile", "profile mouse export ''"},
                                   {"not a file", "recoil show 1 ''"}});
    EXPECT_TRUE(offered.at("recoil").contains("pattern.json"));
    EXPECT_TRUE(offered.at("macro").contains("pattern.json"));
    EXPECT_TRUE(offered.at("profile").contains("pattern.json"));
    EXPECT_TRUE(offered.at("not a file").empty());
}

TEST_F(DocsTest, ManualPageNamesEveryCommandAndOptionAndIsValidMarkup) {
    const std::string page = manPage(readFile(HALVERNCTL_MAN_TEMPLATE), "9.8.7");
    EXPECT_EQ(page.find('@'), std::string::npos);  // nothing left to fill in
    EXPECT_NE(page.find("\"Halvern 9.8.7\""), std::string::npos);
    for (const CommandRow& command : commandTable()) {
        std::string escaped(command.name);
        for (size_t at = escaped.find('-'); at != std::string::npos; at = escaped.find('-', at + 2))
            escaped.replace(at, 1, "\\-");
        EXPECT_NE(page.find("\n.SS " + escaped + "\n"), std::string::npos) << command.name;
        for (const OptionRow& option : command.options) {
            std::string name(option.name);
            for (size_t at = name.find('-'); at != std::string::npos; at = name.find('-', at + 2))
                name.replace(at, 1, "\\-");
            EXPECT_NE(page.find("\\fB" + name + "\\fR"), std::string::npos) << command.name << option.name;
        }
    }
    // groff finds nothing to warn about (where it is installed).
    if (commandOutput("command -v groff").empty()) GTEST_SKIP() << "no groff";
    const auto file = dir.path() / "halvernctl.1";
    std::ofstream(file) << page;
    EXPECT_EQ(commandOutput("groff -man -ww -z -Tutf8 '" + file.string() + "' 2>&1"), "");
}

}  // namespace
}  // namespace halvern::cli
