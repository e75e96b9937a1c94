// The application's client and intake against the real halvern-sound reading a WAV file at its own pace.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "device/supported_devices.h"
#include "sound/audio_intake.h"
#include "sound/companion_client.h"
#include "temp_env.h"
#include "tone_wav.h"

namespace halvern {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(CompanionLink, BlocksFromTheCompanionReachTheKeyboardBandsUntilTheApplicationLeaves) {
    const test::TempDir dir;
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    const fs::path wav = dir / "tone.wav";
    test::writeToneWav(wav, 200, 1.0);

    std::vector<std::string> args{HALVERN_SOUND_PROGRAM, "--wav", wav.string()};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The companion says "listening" on its output once its socket takes connections: that line is the
    // event to connect on.
    int out[2] = {-1, -1};
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    ASSERT_EQ(::posix_spawn_file_actions_init(&actions), 0);
    ASSERT_EQ(::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO), 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ASSERT_EQ(spawned, 0);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    std::string said;
    while (said.find("listening\n") == std::string::npos) {
        pollfd line{out[0], POLLIN, 0};
        ASSERT_GT(::poll(&line, 1, 10'000), 0) << "the companion never said it listens";
        char chunk[64];
        const ssize_t n = ::read(out[0], chunk, sizeof chunk);
        ASSERT_GT(n, 0) << "the companion ended before it listened";
        said.append(chunk, static_cast<size_t>(n));
    }
    ::close(out[0]);

    CompanionClient client;
    std::string error;
    ASSERT_TRUE(client.connect(error)) << error;

    AudioIntake intake;
    int deliveries = 0;
    int32_t loudest = 0;
    while (deliveries < 5 && Clock::now() < deadline) {
        pollfd watch{client.fd(), POLLIN, 0};
        ASSERT_GT(::poll(&watch, 1, 5000), 0);
        for (auto r = client.receive(); r != CompanionClient::Received::Nothing; r = client.receive()) {
            ASSERT_EQ(r, CompanionClient::Received::Message);
            if (client.kind() != companion::kRawBlock) continue;
            const auto d = intake.takeRawBlock(client.content(), type_code::kKeyboard);
            if (d.target != AudioLevelTarget::Keyboard) continue;
            ++deliveries;
            for (const int32_t v : d.levels) loudest = std::max(loudest, v);
        }
    }
    EXPECT_EQ(deliveries, 5);
    EXPECT_GT(loudest, 500);

    client.takeLeave();
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(dir / "halvern-sound.socket"));
}

}  // namespace
}  // namespace halvern
