#include "app/sound_link.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device/supported_devices.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "thread_sanitizer.h"
#include "tone_wav.h"

namespace halvern::app {
namespace {

struct Recorded {
    int keyboardDeliveries = 0;
    int32_t loudest = 0;
    int sixValueBlocks = 0;
    int launchFailures = 0;
    std::vector<bool> serverFound;
};

SoundLinkHooks recordingHooks(Recorded& r) {
    SoundLinkHooks hooks;
    hooks.selectedTypeCode = [] { return type_code::kKeyboard; };
    hooks.levels = [&r](AudioLevelTarget target, std::span<const int32_t> levels) {
        if (target != AudioLevelTarget::Keyboard || levels.size() != AudioIntake::kKeyboardBands) return;
        ++r.keyboardDeliveries;
        for (const int32_t v : levels) r.loudest = std::max(r.loudest, v);
    };
    hooks.sixValues = [&r](std::span<const int32_t>) { ++r.sixValueBlocks; };
    hooks.launchFailed = [&r] { ++r.launchFailures; };
    hooks.soundServerFound = [&r](bool found) { r.serverFound.push_back(found); };
    return hooks;
}

TEST(SoundLink, FeedsTheKeyboardAndStartsTheCompanionAgainWhenItDies) {
    if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
    const test::TempDir dir;
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    test::writeToneWav(dir / "tone.wav", 300, 30.0);
    Recorded r;
    SoundLink link(QStringLiteral(HALVERN_SOUND_PROGRAM), recordingHooks(r),
                   {"--wav", QString::fromStdString((dir / "tone.wav").string())});
    link.start();
    ASSERT_TRUE(test::waitUntil([&] { return r.keyboardDeliveries >= 3; }, 10000));
    EXPECT_GT(r.loudest, 500);
    EXPECT_GT(r.sixValueBlocks, 0);

    const qint64 first = link.companionProcessId();
    ASSERT_GT(first, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGKILL), 0);
    ASSERT_TRUE(test::waitUntil(
        [&] { return link.companionProcessId() != 0 && link.companionProcessId() != first; }, 5000));
    const int before = r.keyboardDeliveries;
    EXPECT_TRUE(test::waitUntil([&] { return r.keyboardDeliveries > before + 2; }, 10000));
    EXPECT_EQ(r.launchFailures, 0);
}

TEST(SoundLink, SaysOnceThatTheCompanionCannotBeStarted) {
    if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
    const test::TempDir dir;
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    Recorded r;
    SoundLink link(QString::fromStdString((dir / "missing-companion").string()), recordingHooks(r));
    link.start();
    ASSERT_TRUE(test::waitUntil([&] { return r.launchFailures == 1; }));
    // The next try, a second later, fails as well, silently.
    EXPECT_FALSE(test::waitUntil([&] { return r.launchFailures > 1; }, 1500));
    EXPECT_FALSE(link.connected());
}

// With no sound server the companion ends with its own exit code, again at every restart: the window is
// told once, and the companion's line reaches stderr once, not at every restart.
TEST(SoundLink, NoSoundServerIsToldOnceAndLoggedOnce) {
    if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
    const test::TempDir dir;
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    const test::ScopedEnv server("PULSE_SERVER", "unix:" + (dir / "no-server").string());
    const std::filesystem::path logged = dir / "stderr.txt";
    std::fflush(stderr);
    const int savedStderr = ::dup(STDERR_FILENO);
    const int file = ::open(logged.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    ASSERT_GE(::dup2(file, STDERR_FILENO), 0);
    ::close(file);
    const auto loggedLines = [&logged] {
        std::fflush(stderr);
        std::ifstream in(logged);
        int lines = 0;
        for (std::string line; std::getline(in, line);) lines += line.starts_with("halvern-sound:") ? 1 : 0;
        return lines;
    };
    Recorded r;
    int lines = 0;
    int moreLines = 0;
    {
        SoundLink link(QStringLiteral(HALVERN_SOUND_PROGRAM), recordingHooks(r));
        link.start();
        test::waitUntil([&] { return !r.serverFound.empty(); }, 5000);
        lines = loggedLines();
        // The companion is started again after one second and after two more, failing the same way.
        test::waitUntil([&] { return loggedLines() > 1; }, 3500);
        moreLines = loggedLines();
    }
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);
    EXPECT_EQ(r.serverFound, std::vector<bool>{false});
    EXPECT_EQ(r.launchFailures, 0);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(moreLines, 1);
}

}  // namespace
}  // namespace halvern::app
