#pragma once
// Runs halvernctl command lines in-process, as its main() does, against an emulator the test can look into,
// each test in a data folder of its own.

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command_context.h"
#include "cli/command_line.h"
#include "cli/global_options.h"
#include "emulator/emulator.h"
#include "temp_env.h"

namespace halvern::cli {

struct CtlRun {
    int code = -1;
    std::string out, err;
};

using CtlHandler = int (*)(const CommandContext&, const CommandArgs&);
using CtlCommands = std::map<std::string, CtlHandler, std::less<>>;

inline size_t lineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CtlFixture : public ::testing::Test {
protected:
    explicit CtlFixture(const CtlCommands& commands)
        : m_commands(commands),
          xdg("XDG_DATA_HOME", data.path().string()),
          emulator({.transport = emu::Transport::SocketPair}) {}

    // One command line: global options, command, arguments.
    CtlRun run(const std::vector<std::string>& words) {
        CtlRun r;
        std::ostringstream out, err;
        const auto options = parseGlobalOptions(words, err);
        if (options && options->version) {  // answered before any command
            r.code = runCommandLine(words, out, err, {&emulator});
            r.out = out.str();
            r.err = err.str();
            return r;
        }
        const auto command = options ? m_commands.find(options->command) : m_commands.end();
        if (command == m_commands.end()) {
            ADD_FAILURE() << "not a command line of this test";
            return r;
        }
        const CommandContext context{emulator, options->json, out, err};
        r.code = command->second(context, options->args);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    // The same with --json; the output must parse.
    Json::Value runJson(const std::vector<std::string>& words) {
        std::vector<std::string> all{"--json"};
        all.insert(all.end(), words.begin(), words.end());
        const CtlRun r = run(all);
        EXPECT_EQ(r.code, kExitOk) << r.err;
        Json::Value value;
        EXPECT_TRUE(Json::Reader().parse(r.out, value)) << r.out;
        return value;
    }

    static std::vector<uint8_t> bytesOf(const emu::VirtualDevice& device, emu::Region region, size_t from,
                                        size_t count) {
        const auto bytes = device.firmware().region(region);
        return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + count)};
    }

private:
    const CtlCommands& m_commands;

protected:
    test::TempDir data;
    test::ScopedEnv xdg;
    emu::Emulator emulator;
};

}  // namespace halvern::cli
