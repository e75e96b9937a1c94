// Settings written while the device streams light frames (1 ms per report each way, over a socket pair, as
// a USB full-speed link): every write is acknowledged exactly as without the stream, and the frames keep
// flowing between the writes.

#include <gtest/gtest.h>

#include "devices/keyboard_device.h"
#include "devices/mouse_device.h"
#include "emulated_links.h"
#include "emulator/emulator.h"
#include "temp_env.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;
using emu::Product;
using emu::Region;

constexpr int kWrites = 1000;

class WriteWhileStreamingTest : public ::testing::Test {
protected:
    // Opens `device` over the socket pair, activates its page, takes the lights and starts streaming.
    template <class Device, class StreamOn>
    void startStreaming(Device& device, const char* kindName, int kindId, int leds, StreamOn streamOn) {
        ASSERT_TRUE(emulated);
        test::openOverEmulator(emulator, device, false);
        if (HasFatalFailure()) return;
        device.commandChannel().setTimeouts(1000, 1000);
        device.SetKindName(kindName);
        device.SetKindId(kindId);
        device.SetLedCount(leds);
        ASSERT_TRUE(device.Await([&](auto done) { device.ActivatePage(done); }));
        emulated->setFaults({.latency = 1ms});
        device.SetLightControl(true);
        ASSERT_TRUE(device.Await([&](auto done) { streamOn(done); }));
        ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 3; }, 5s)) << "no stream";
    }

    unsigned count(uint8_t code) const { return emulated->firmware().commandCount(code); }
    uint8_t settingsByte(size_t at) const { return emulated->firmware().region(Region::Settings).at(at); }

    // Each acknowledged write saves the profile file (with fsync): in memory, so the link, not the disk, sets
    // the pace.
    test::TempDir data{std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                 : std::filesystem::temp_directory_path()};
    test::ScopedEnv xdg{"XDG_DATA_HOME", data.path().string()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::SocketPair, {}, {}}};
    std::shared_ptr<emu::VirtualDevice> emulated;
};

TEST_F(WriteWhileStreamingTest, KeyboardTakesEverySettingsWriteWhileItStreamsItsMusicMode) {
    emulated = emulator.attach(Product::Keyboard, emu::Attachment::Cable, {.keySlots = 104});
    CMerivexKeyboardDevice keyboard(emulator);
    startStreaming(
        keyboard, "keyboard", 0, static_cast<int>(CMerivexKeyboardDevice::kKeyCount), [&](auto done) {
            keyboard.ChangeSettings(
                [](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; }, done);
        });
    if (HasFatalFailure()) return;

    const unsigned writesBefore = count(command::kWriteAt);
    const uint64_t framesBefore = keyboard.streamStats().frames;
    std::array<int32_t, 500> levels{};
    for (int n = 0; n < kWrites; ++n) {
        // Sound keeps the music mode's frames changing, as it would while music plays.
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((n * 37 + b * 211) % 2000);
        keyboard.AudioLevels(levels);
        const auto polling = static_cast<uint16_t>(n % 4);
        const DeviceResult written = keyboard.Await([&](auto done) {
            keyboard.ChangeSettings([polling](KeyboardSettings& s) { s.system.pollingRate = polling; }, done);
        });
        ASSERT_TRUE(written) << "write " << n << ": " << describe(written);
        ASSERT_EQ(settingsByte(23), polling) << "write " << n;  // the record holds what was asked
    }
    EXPECT_EQ(count(command::kWriteAt), writesBefore + kWrites);  // one 27-byte report each, none repeated
    EXPECT_EQ(count(command::kBegin), count(command::kEnd));
    // The stream went on between the writes (a frame takes its turn after each command).
    EXPECT_GE(keyboard.streamStats().frames - framesBefore, static_cast<uint64_t>(kWrites / 2));
    EXPECT_EQ(keyboard.streamStats().failedFrames, 0u);
}

TEST_F(WriteWhileStreamingTest, MouseTakesEverySettingsWriteWhileItStreamsItsMusicMode) {
    emulated = emulator.attach(Product::Mouse);
    CMerivexMouseDevice mouse(emulator);
    startStreaming(mouse, "mouse", 1, 6, [&](auto done) {
        mouse.ChangeSettings([](MouseSettings& s) { s.light.mode = CMerivexUSBDevice::kSoftwareLightMode; },
                             1920, 1080, done);
    });
    if (HasFatalFailure()) return;

    const unsigned writesBefore = count(command::kWriteAt);
    const uint64_t framesBefore = mouse.streamStats().frames;
    std::array<int32_t, 500> levels{};
    for (int n = 0; n < kWrites; ++n) {
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((n * 37 + b * 211) % 2000);
        mouse.AudioLevels(levels);
        const auto position = static_cast<uint16_t>(10 + n % 100);
        const DeviceResult written = mouse.Await([&](auto done) {
            mouse.ChangeSettings(
                [position](MouseSettings& s) { s.stages[2].dpiX = s.stages[2].dpiY = position; }, 1920, 1080,
                done);
        });
        ASSERT_TRUE(written) << "write " << n << ": " << describe(written);
        ASSERT_EQ(settingsByte(14 + 9 * 2 + 2), position) << "write " << n;
    }
    EXPECT_EQ(count(command::kWriteAt), writesBefore + 2 * kWrites);  // 75 bytes: two reports each
    EXPECT_EQ(count(command::kBegin), count(command::kEnd));
    EXPECT_GE(mouse.streamStats().frames - framesBefore, static_cast<uint64_t>(kWrites / 2));
    EXPECT_EQ(mouse.streamStats().failedFrames, 0u);
}

}  // namespace
}  // namespace halvern
