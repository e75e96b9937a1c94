// The application's client and intake against the real halvern-sound reading a WAV file at its own pace.

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
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);

    CompanionClient client;
    std::string error;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!client.connect(error) && Clock::now() < deadline) ::usleep(10'000);  // until the socket is there
    ASSERT_TRUE(client.connected()) << error;

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
