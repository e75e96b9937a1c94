// Handing work to the interface thread and waiting for it, as discovery does with arrivals and removals.

#include "app/ui_thread_call.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "wait_for.h"

namespace halvern::app {
namespace {

// Keeps what is posted until the test runs it, as the window's event loop would later.
class HeldTasks final : public Executor {
public:
    void post(std::function<void()> task) override {
        std::scoped_lock lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    bool runUntil(const std::function<bool()>& finished, std::chrono::steady_clock::time_point) override {
        runAll();
        return finished();
    }
    size_t waiting() {
        std::scoped_lock lock(m_mutex);
        return m_tasks.size();
    }
    void runAll() {
        std::deque<std::function<void()>> tasks;
        {
            std::scoped_lock lock(m_mutex);
            tasks.swap(m_tasks);
        }
        for (auto& task : tasks) task();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
};

TEST(UiThreadCall, WorkRunsOnTheInterfaceThreadAndTheWorkerWaitsForIt) {
    HeldTasks ui;
    UiThreadCall call(ui);
    bool ran = false;
    bool answered = false;
    std::thread worker([&] { answered = call.run([&] { ran = true; }); });
    ASSERT_TRUE(test::waitFor([&] { return ui.waiting() == 1; }));
    ui.runAll();
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(answered);
}

// The window closes the call and then frees what the work touches (the device list): work that was
// handed over but had not run yet must never run.
TEST(UiThreadCall, WorkStillWaitingWhenTheCallClosesNeverRuns) {
    HeldTasks ui;
    UiThreadCall call(ui);
    bool ran = false;
    bool answered = true;
    std::thread worker([&] { answered = call.run([&] { ran = true; }); });
    ASSERT_TRUE(test::waitFor([&] { return ui.waiting() == 1; }));
    call.close();
    worker.join();
    EXPECT_FALSE(answered);
    ui.runAll();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(call.run([&] { ran = true; }));  // refused from now on
    EXPECT_EQ(ui.waiting(), 0u);
}

}  // namespace
}  // namespace halvern::app
