// The application's client and intake against the real halvern-sound reading a WAV file at its own pace.

#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "device/supported_devices.h"
#include "sound/audio_intake.h"
#include "sound/companion_client.h"

namespace halvern {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void writeTone(const fs::path& path, double hz, double seconds) {
    constexpr uint32_t kRate = 44100;
    const auto frames = static_cast<uint32_t>(kRate * seconds);
    std::ofstream out(path, std::ios::binary);
    const auto le = [&](uint32_t v, int bytes) {
        for (int b = 0; b < bytes; ++b) out.put(static_cast<char>(v >> (8 * b)));
    };
    out.write("RIFF", 4);
    le(36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    le(16, 4);
    le(1, 2);  // PCM, one channel, 16 bits
    le(1, 2);
    le(kRate, 4);
    le(kRate * 2, 4);
    le(2, 2);
    le(16, 2);
    out.write("data", 4);
    le(frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i)
        le(static_cast<uint16_t>(
               static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / kRate))),
           2);
}

TEST(CompanionLink, BlocksFromTheCompanionReachTheKeyboardBandsUntilTheApplicationLeaves) {
    const fs::path dir = fs::temp_directory_path() / ("halvern-sound-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_EQ(::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1), 0);
    const fs::path wav = dir / "tone.wav";
    writeTone(wav, 200, 1.0);

    std::vector<std::string> args{HALVERN_SOUND_PROGRAM, "--wav", wav.string()};
    std::vector<char*> argv;
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
    fs::remove_all(dir);
}

}  // namespace
}  // namespace halvern
