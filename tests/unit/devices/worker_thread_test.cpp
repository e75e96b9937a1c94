#include "device/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "device/debug_sink.h"

namespace halvern {
namespace {

using namespace std::chrono;

TEST(WorkerThread, StopsWithinItsBoundAndSaysSo) {
    std::vector<std::string> lines;
    auto previous = setDebugCapture([&](std::string_view l) { lines.emplace_back(l); });
    std::atomic<int> passes{0};
    {
        WorkerThread worker;
        worker.start([&](std::stop_token token) {
            while (!WorkerThread::waitForStop(token, milliseconds(1))) ++passes;
        });
        while (passes < 3) std::this_thread::yield();
        const auto start = steady_clock::now();
        EXPECT_TRUE(worker.stop(milliseconds(1000)));
        EXPECT_LT(steady_clock::now() - start, milliseconds(50));
        EXPECT_FALSE(worker.running());
    }
    setDebugCapture(std::move(previous));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "线程退出：：对象处于激发状态\n");
}

TEST(WorkerThread, AnOverrunningBodyIsReportedAndStillJoined) {
    std::vector<std::string> lines;
    auto previous = setDebugCapture([&](std::string_view l) { lines.emplace_back(l); });
    std::atomic<bool> ended{false};
    WorkerThread worker;
    worker.start([&](std::stop_token) {
        std::this_thread::sleep_for(milliseconds(60));
        ended = true;
    });
    EXPECT_FALSE(worker.stop(milliseconds(10)));
    EXPECT_TRUE(ended);  // joined, never abandoned
    setDebugCapture(std::move(previous));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "线程退出：：对象处于非激发状态，超时\n");
}

}  // namespace
}  // namespace halvern
