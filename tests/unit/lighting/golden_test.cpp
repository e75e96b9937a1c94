// The first frames of every mode of every device at two settings, as `halvernctl effect` prints them,
// compared with recordings that were reviewed by eye (waves move, breathing rises, ripples spread).
// Set HALVERN_UPDATE_GOLDEN=1 to record them again after a deliberate change, and review the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/effect_command.h"
#include "lighting/device_model.h"

namespace halvern {
namespace {

const std::vector<std::string> kSettingsA{"--brightness", "4", "--speed", "2",     "--direction", "0",
                                          "--multicolor", "0", "--color", "ff8000"};
const std::vector<std::string> kSettingsB{"--brightness", "2", "--speed", "4", "--direction", "1",
                                          "--multicolor", "1", "--zzcc",  "2", "--seed",      "7"};

std::string join(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
    return text;
}

/// Every mode of the device's table and the first index past it, at both settings.
std::string record(const DeviceModel& model, int frames) {
    std::ostringstream all;
    for (std::size_t mode = 0; mode <= model.modes.size(); ++mode) {
        for (const auto* settings : {&kSettingsA, &kSettingsB}) {
            std::vector<std::string> args{std::string(model.name), std::to_string(mode)};
            args.insert(args.end(), settings->begin(), settings->end());
            args.insert(args.end(), {"--frames", std::to_string(frames)});
            std::ostringstream out;
            std::ostringstream err;
            EXPECT_EQ(cli::runEffectCommand(args, false, out, err), 0) << err.str();
            all << "## " << join(args) << '\n' << out.str();
        }
    }
    return all.str();
}

void checkGolden(DeviceKind kind, int frames) {
    const DeviceModel& model = deviceModel(kind);
    const std::string path =
        std::string(HALVERN_LIGHTING_GOLDEN_DIR) + "/" + std::string(model.name) + ".txt";
    const std::string actual = record(model, frames);
    if (const char* update = std::getenv("HALVERN_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path) << actual;
        GTEST_SKIP() << "recorded " << path;
    }
    std::ifstream file(path);
    ASSERT_TRUE(file) << "missing " << path;
    std::stringstream expected;
    expected << file.rdbuf();
    // Compare block by block so a failure names the mode.
    std::istringstream a(actual);
    std::istringstream e(expected.str());
    std::string lineA;
    std::string lineE;
    std::string block;
    int line = 0;
    while (std::getline(e, lineE)) {
        ++line;
        ASSERT_TRUE(std::getline(a, lineA)) << path << " has more lines than computed";
        if (lineE.starts_with("## ")) block = lineE;
        ASSERT_EQ(lineA, lineE) << path << " line " << line << " in " << block;
    }
    EXPECT_FALSE(std::getline(a, lineA)) << "computed more lines than " << path;
}

TEST(Golden, Mouse) {
    checkGolden(DeviceKind::Mouse, 6);
}
TEST(Golden, MousePad) {
    checkGolden(DeviceKind::MousePad, 6);
}
TEST(Golden, Headset) {
    checkGolden(DeviceKind::Headset, 6);
}
TEST(Golden, Keyboard) {
    checkGolden(DeviceKind::Keyboard, 3);
}

}  // namespace
}  // namespace halvern
