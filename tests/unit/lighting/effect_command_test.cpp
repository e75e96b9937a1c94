// `halvernctl effect`: argument checking and output forms.
#include "cli/effect_command.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"

namespace halvern {
namespace {

struct CommandResult {
    int code;
    std::string out;
    std::string err;
};

CommandResult run(const std::vector<std::string>& args, bool json = false) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::runEffectCommand(args, json, out, err);
    return {code, out.str(), err.str()};
}

TEST(EffectCommand, PrintsOneLinePerStepWithEveryLed) {
    const CommandResult r = run({"mouse", "3", "--color", "102030", "--brightness", "1", "--frames", "2"});
    ASSERT_EQ(r.code, cli::kExitOk);
    EXPECT_EQ(r.out,
              "10203050 10203050 10203050 10203050 10203050 10203050\n"
              "10203050 10203050 10203050 10203050 10203050 10203050\n");
    EXPECT_TRUE(r.err.empty());
}

TEST(EffectCommand, JsonFromTheGlobalFlagOrTheArguments) {
    const CommandResult global = run({"headset", "8"}, true);
    const CommandResult inside = run({"headset", "8", "--json"});
    EXPECT_EQ(global.out, inside.out);
    Json::Value value;
    ASSERT_TRUE(Json::Reader().parse(global.out, value)) << global.out;
    EXPECT_EQ(value["device"].asString(), "headset");
    EXPECT_EQ(value["mode"].asInt(), 8);
    ASSERT_EQ(value["frames"].size(), 1u);
    EXPECT_EQ(value["frames"][0][0].asString(), "00000000");
    EXPECT_EQ(global.out.back(), '\n');
}

TEST(EffectCommand, SeedChoosesTheRandomSparkle) {
    const CommandResult a = run({"keyboard", "10", "--seed", "1", "--frames", "2"});
    const CommandResult b = run({"keyboard", "10", "--seed", "2", "--frames", "2"});
    const CommandResult a2 = run({"keyboard", "10", "--seed", "1", "--frames", "2"});
    EXPECT_NE(a.out, b.out);
    EXPECT_EQ(a.out, a2.out);
}

TEST(EffectCommand, UsageErrorsGiveOneLineAndCode2) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"toaster", "1"},
                                                                  {"mouse"},
                                                                  {"mouse", "256"},
                                                                  {"mouse", "1", "--speed", "5"},
                                                                  {"mouse", "1", "--color", "12345"},
                                                                  {"mouse", "1", "--frames"},
                                                                  {"mouse", "1", "--frames", "0"},
                                                                  {"mouse", "1", "--loud", "1"}}) {
        const CommandResult r = run(args);
        EXPECT_EQ(r.code, cli::kExitUsage) << args.size();
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

}  // namespace
}  // namespace halvern
