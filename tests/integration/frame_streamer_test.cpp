// The frame streamer against the emulated keyboard: it sleeps while no frames are wanted, paces itself,
// and pauses after a refused frame.

#include "devices/frame_streamer.h"

#include <gtest/gtest.h>

#include <atomic>

#include "emulated_links.h"
#include "emulator/emulator.h"
#include "lighting/lighting_thread.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;

class FrameStreamerTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard = emulator.attach(emu::Product::Keyboard);
        ASSERT_TRUE(keyboard);
        ASSERT_TRUE(channel.cableInterface().Open("emu:keyboard/1#4", true, true, true, false));
        channel.SetMode(1);
        channel.setConnected(true);
        channel.setTimeouts(300, 300);
    }

    unsigned frameReports() const { return keyboard->firmware().commandCount(0x12); }

    emu::Emulator emulator;
    std::shared_ptr<emu::VirtualDevice> keyboard;
    CommandChannel channel{emulator};
    std::atomic<bool> wanted{false};
    std::atomic<int> built{0};
    FrameStreamer streamer{channel,
                           {[this](std::chrono::milliseconds& period) {
                                period = 20ms;
                                return wanted.load();
                            },
                            [this](FrameStreamer::Buffer& buffer, Millis& next) {
                                buffer[0] = static_cast<uint8_t>(++built);
                                next = steadyMillis();  // changes all the time: the period paces it
                                return size_t{60};
                            }}};
};

TEST_F(FrameStreamerTest, SleepsUntilWantedAndPacesItselfToItsPeriod) {
    streamer.start();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(built.load(), 0);  // not wanted: no frame taken, nothing written
    EXPECT_EQ(frameReports(), 0u);

    wanted = true;
    streamer.wake();
    ASSERT_TRUE(test::waitFor([&] { return streamer.stats().frames >= 1; }));
    std::this_thread::sleep_for(200ms);

    // Counted once the stream has stopped, so no frame is half sent while the two counts are taken.
    wanted = false;
    streamer.wake();
    std::this_thread::sleep_for(50ms);
    const auto frames = streamer.stats().frames;
    EXPECT_GE(frames, 5u);
    EXPECT_LE(frames, 13u);  // one frame per 20 ms at most
    EXPECT_EQ(frameReports(), 2 * frames);  // 60 bytes: two reports a frame
    EXPECT_EQ(keyboard->firmware().lastFrame().at(0), static_cast<uint8_t>(built.load()));
    const unsigned reports = frameReports();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(frameReports(), reports);
    const auto stopping = std::chrono::steady_clock::now();
    streamer.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 100ms);
}

TEST_F(FrameStreamerTest, ARefusedFramePausesTheStream) {
    keyboard->setFaults({.replyStatus = 0xFF});
    wanted = true;
    streamer.start();
    std::this_thread::sleep_for(500ms);
    EXPECT_GE(frameReports(), 2u);  // tried at once and after each pause
    EXPECT_LE(frameReports(), 3u);
    EXPECT_EQ(streamer.stats().frames, 0u);
    keyboard->setFaults({});
    ASSERT_TRUE(test::waitFor([&] { return streamer.stats().frames >= 1; }, 1s));
}

}  // namespace
}  // namespace halvern
