// The device queue against the emulated keyboard: one job at a time in order, completions on the owner's
// executor, frames that never queue and never starve commands (nor are starved by them), and a write the
// device holds up that neither the caller nor a stop waits for.

#include "device/device_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "emulated_links.h"
#include "emulator/emulator.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class DeviceQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard = emulator.attach(emu::Product::Keyboard);
        ASSERT_TRUE(keyboard);
        ASSERT_TRUE(channel.cableInterface().Open("emu:keyboard/1#4", true, true, true, false));
        channel.SetMode(1);
        channel.setConnected(true);
        channel.setTimeouts(300, 300);
        queue.start();
    }

    // Runs the completions until `done` holds (the owner's side of the queue).
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds bound = 3s) {
        const auto deadline = Clock::now() + bound;
        while (!done()) {
            if (!completions.waitAndRun(deadline)) return done();
        }
        return true;
    }

    // A job that does nothing: when its completion has run, everything submitted before it has run.
    bool passQueue() {
        bool passed = false;
        queue.submit([](CommandChannel&) { return DeviceResult{}; }, [&](DeviceResult) { passed = true; });
        return runUntil([&] { return passed; });
    }

    void streamFrames(std::chrono::milliseconds period, std::function<bool()> wanted) {
        queue.setFrameSource({[period, wanted = std::move(wanted)](std::chrono::milliseconds& p) {
                                  p = period;
                                  return wanted();
                              },
                              [this](DeviceQueue::FrameBuffer& buffer, Clock::time_point& next) {
                                  buffer[0] = static_cast<uint8_t>(++built);
                                  next = Clock::now();  // changes all the time: the period paces it
                                  std::scoped_lock lock(orderMutex);
                                  order.push_back('F');
                                  return size_t{60};  // two reports
                              }});
        queue.wakeFrames();
    }

    unsigned frameReports() const { return keyboard->firmware().commandCount(command::kStreamLightFrame); }

    emu::Emulator emulator;
    std::shared_ptr<emu::VirtualDevice> keyboard;
    CommandChannel channel{emulator};
    CompletionQueue completions;
    std::atomic<int> built{0};
    std::mutex orderMutex;
    std::string order;  ///< 'J' for a job, 'F' for a frame, as the worker ran them
    DeviceQueue queue{channel, completions};
};

TEST_F(DeviceQueueTest, JobsRunInOrderAndCompleteOnTheOwnersThread) {
    std::vector<int> ran;
    std::vector<int> completed;
    const auto owner = std::this_thread::get_id();
    for (int i = 0; i < 5; ++i) {
        queue.submit(
            [&ran, i](CommandChannel& ch) {
                ran.push_back(i);  // the worker alone touches it until the completions
                return DeviceResult::FromCode(ch.Begin(), DeviceStep::Settings);
            },
            [&, i, owner](DeviceResult r) {
                EXPECT_EQ(std::this_thread::get_id(), owner);
                EXPECT_TRUE(r);
                completed.push_back(i);
            });
    }
    ASSERT_TRUE(runUntil([&] { return completed.size() == 5; }));
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(completed, ran);
    EXPECT_EQ(keyboard->firmware().commandCount(command::kBegin), 5u);
}

TEST_F(DeviceQueueTest, FramesAreBuiltOnlyWhileWantedAndPacedByTheirPeriod) {
    std::atomic<bool> wanted{false};
    streamFrames(20ms, [&] { return wanted.load(); });
    ASSERT_TRUE(passQueue());
    EXPECT_EQ(built.load(), 0);  // asked, not wanted: nothing built, nothing written
    EXPECT_EQ(frameReports(), 0u);

    wanted = true;
    const auto started = Clock::now();
    queue.wakeFrames();
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().frames >= 6; }));
    const auto elapsed = Clock::now() - started;
    wanted = false;
    queue.wakeFrames();
    ASSERT_TRUE(passQueue());
    const auto frames = queue.stats().frames;
    EXPECT_GE(elapsed, (frames - 1) * 20ms - 1ms);  // never faster than one frame per 20 ms
    EXPECT_EQ(frameReports(), 2 * frames);          // every frame whole: 60 bytes in two reports
    EXPECT_EQ(keyboard->firmware().lastFrame().at(0), static_cast<uint8_t>(built.load()));
    ASSERT_TRUE(passQueue());
    EXPECT_EQ(queue.stats().frames, frames);  // no longer wanted: none since
}

TEST_F(DeviceQueueTest, CommandsAndFramesTakeTurnsSoNeitherStarves) {
    keyboard->setFaults({.latency = 1ms});
    streamFrames(1ms, [] { return true; });  // a frame is always due
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().frames >= 2; }));
    int done = 0;
    for (int i = 0; i < 20; ++i) {
        queue.submit(
            [this](CommandChannel& ch) {
                {
                    std::scoped_lock lock(orderMutex);
                    order.push_back('J');
                }
                std::array<uint8_t, CommandChannel::kInfoSize> info{};
                return DeviceResult::FromCode(ch.ReadInfo(info), DeviceStep::Information);
            },
            [&](DeviceResult r) {
                EXPECT_TRUE(r);
                ++done;
            });
    }
    ASSERT_TRUE(runUntil([&] { return done == 20; }, 10s));
    std::scoped_lock lock(orderMutex);
    const size_t first = order.find('J');
    const size_t last = order.rfind('J');
    ASSERT_NE(first, std::string::npos);
    // While commands waited, the worker alternated: a command waits for at most one frame, and the due frame
    // for at most one command.
    for (size_t i = first; i < last; ++i)
        EXPECT_NE(order[i], order[i + 1]) << order.substr(first, last - first + 1);
}

TEST_F(DeviceQueueTest, AFrameHandedOverReplacesOneNotYetSent) {
    std::atomic<bool> release{false};
    queue.submit([&](CommandChannel&) {
        while (!release) std::this_thread::yield();  // holds the worker while frames are handed over
        return DeviceResult{};
    });
    for (uint8_t n = 1; n <= 3; ++n) {
        const std::array<uint8_t, 9> frame{n, n, n, n, n, n, n, n, n};
        queue.postFrame(frame);
    }
    release = true;
    ASSERT_TRUE(passQueue());
    EXPECT_EQ(queue.stats().frames, 1u);  // only the newest went out
    EXPECT_EQ(keyboard->firmware().lastFrame().at(0), 3);
}

TEST_F(DeviceQueueTest, ARefusedFramePausesTheStream) {
    keyboard->setFaults({.replyStatus = 0xFF});
    streamFrames(1ms, [] { return true; });
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().failedFrames >= 1; }));
    const auto failedAt = Clock::now();
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().failedFrames >= 2; }));
    EXPECT_GE(Clock::now() - failedAt,
              DeviceQueue::kFailurePause - 20ms);  // paused, not hammering the device
    keyboard->setFaults({});
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().frames >= 1; }));
}

// A source that says its frame changes at every step but builds the same bytes (a music mode in silence)
// sends them once, then only as the steady refresh; new bytes go out at the next step, and a new source
// (the device opened again) gets its first frame whatever was sent before.
TEST_F(DeviceQueueTest, AFrameWithTheBytesLastSentIsNotSentAgainBeforeTheRefresh) {
    // A frame the device is slow to answer on a loaded machine must not count as failed here (a failure
    // pauses the stream and forgets what was sent, which another test covers).
    channel.setTimeouts(5000, 5000);
    std::atomic<uint8_t> colour{0};
    std::atomic<int> periodMs{1};
    const auto sameBytes = [&] {
        queue.setFrameSource({[&](std::chrono::milliseconds& p) {
                                  p = std::chrono::milliseconds(periodMs.load());
                                  return true;
                              },
                              [&](DeviceQueue::FrameBuffer& buffer, Clock::time_point& next) {
                                  ++built;
                                  buffer.fill(colour);
                                  next = Clock::now();
                                  return size_t{60};
                              }});
    };
    ASSERT_TRUE(passQueue());  // the worker is idle, waiting without a deadline: the source alone wakes it
    sameBytes();
    const auto started = Clock::now();
    // A loaded machine (the sanitizers, other jobs) may build slowly: the bound is generous.
    ASSERT_TRUE(test::waitFor([&] { return built.load() >= 40; }, std::chrono::seconds(20)));
    ASSERT_TRUE(passQueue());
    const auto refreshes = (Clock::now() - started) / DeviceQueue::kSteadyRefresh;
    EXPECT_LE(queue.stats().frames, 1u + static_cast<uint64_t>(refreshes));
    EXPECT_GE(queue.stats().repeatsSkipped, 30u);

    const auto sent = queue.stats().frames;
    colour = 7;
    ASSERT_TRUE(test::waitFor([&] { return queue.stats().frames > sent; }, std::chrono::seconds(20)));
    EXPECT_EQ(keyboard->firmware().lastFrame().at(0), 7);

    // Slow steps from here: the first frame of the new source is the next one built after it.
    periodMs = 2000;
    const int builtBefore = built.load();
    ASSERT_TRUE(test::waitFor([&] { return built.load() > builtBefore; }, std::chrono::seconds(20)));
    ASSERT_TRUE(passQueue());
    const DeviceQueue::Stats before = queue.stats();
    sameBytes();
    DeviceQueue::Stats after;
    ASSERT_TRUE(test::waitFor(
        [&] {
            after = queue.stats();
            return after.frames > before.frames || after.repeatsSkipped > before.repeatsSkipped;
        },
        std::chrono::seconds(20)));
    EXPECT_EQ(after.frames, before.frames + 1);
    EXPECT_EQ(after.repeatsSkipped, before.repeatsSkipped);
}

TEST_F(DeviceQueueTest, WhileIdleKeepsTheWorkerOffTheChannel) {
    std::atomic<bool> inside{false};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 50; ++i) {
        queue.submit([&](CommandChannel& ch) {
            if (inside) overlapped = true;
            return DeviceResult::FromCode(ch.Begin(), DeviceStep::Settings);
        });
    }
    for (int i = 0; i < 20; ++i) {
        queue.whileIdle([&] {
            inside = true;
            channel.SetMode(1);
            inside = false;
        });
    }
    ASSERT_TRUE(passQueue());
    EXPECT_FALSE(overlapped);
}

TEST_F(DeviceQueueTest, AStalledWriteHoldsNeitherTheCallerNorTheStop) {
    keyboard->setFaults({.writeBlock = 5000ms});
    std::optional<DeviceResult> outcome;
    const auto started = Clock::now();
    queue.submit([](CommandChannel& ch) { return DeviceResult::FromCode(ch.Begin(), DeviceStep::Settings); },
                 [&](DeviceResult r) { outcome = r; });
    ASSERT_TRUE(runUntil([&] { return outcome.has_value(); }, 2s));
    EXPECT_EQ(outcome->code(), result::kWriteFailed);
    EXPECT_LT(Clock::now() - started, 1s);  // the 300 ms time-out, not the 5 s the write is held

    // A stop while the next write waits does not wait for it either.
    queue.submit([](CommandChannel& ch) { return DeviceResult::FromCode(ch.Begin(), DeviceStep::Settings); });
    const auto stopping = Clock::now();
    channel.setConnected(false);
    channel.cableInterface().Close();
    queue.stop();
    EXPECT_LT(Clock::now() - stopping, 500ms);
    keyboard->unplug();  // ends the write the emulated pipe still holds
}

TEST_F(DeviceQueueTest, CompletionsOfAQueueThatWentAwayNeverRun) {
    bool ran = false;
    CompletionQueue owner;
    {
        DeviceQueue shortLived(channel, owner);
        shortLived.start();
        shortLived.submit([](CommandChannel&) { return DeviceResult{}; }, [&](DeviceResult) { ran = true; });
        ASSERT_TRUE(shortLived.drain(1s));
    }
    // The queue went before its owner ran the completion it had handed over.
    EXPECT_EQ(owner.runPending(), 1u);
    EXPECT_FALSE(ran);

    // Jobs given to a stopped queue complete at once as cut short.
    std::optional<DeviceResult> late;
    queue.stop();
    queue.submit([](CommandChannel&) { return DeviceResult{}; }, [&](DeviceResult r) { late = r; });
    ASSERT_TRUE(runUntil([&] { return late.has_value(); }));
    EXPECT_EQ(late->code(), DeviceResult::kCancelled);
}

}  // namespace
}  // namespace halvern
