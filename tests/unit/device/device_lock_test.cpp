#include "device/device_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <future>
#include <thread>

#include "device/device_lock_waiter.h"
#include "temp_env.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;

class DeviceLockTest : public ::testing::Test {
protected:
    test::TempDir folder;
    const std::filesystem::path file = folder / "locks" / "device.lock";

    void write(const std::string& text) const {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::trunc) << text;
    }
};

// A child process that takes the lock with plain system calls (nothing else is safe after fork in a
// process with threads), says so on a pipe, and then waits to be killed.
class LockingChild {
public:
    explicit LockingChild(const std::filesystem::path& file) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
            char pid[16];
            const int length = std::snprintf(pid, sizeof pid, "%d\n", static_cast<int>(::getpid()));
            if (::ftruncate(fd, 0) != 0 || ::write(fd, pid, static_cast<size_t>(length)) != length)
                ::_exit(1);
            if (::write(ready[1], "1", 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        m_locked = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~LockingChild() { kill(); }
    LockingChild(const LockingChild&) = delete;
    LockingChild& operator=(const LockingChild&) = delete;

    [[nodiscard]] bool locked() const { return m_locked; }
    [[nodiscard]] pid_t pid() const { return m_pid; }
    void kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        (void)::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

TEST_F(DeviceLockTest, OneHolderAtATimeWithItsPidWrittenAndReleasedWhenTheLockGoes) {
    LockAttempt first = tryLockDevice(file);
    ASSERT_EQ(first.outcome, LockOutcome::Taken) << first.problem;
    ASSERT_TRUE(first.lock);
    EXPECT_EQ(first.lock->file(), file);
    EXPECT_EQ(readLockHolder(file), ::getpid());
    EXPECT_EQ(std::filesystem::status(file.parent_path()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // Another open of the file is another holder, as another program would be.
    const LockAttempt second = tryLockDevice(file);
    EXPECT_EQ(second.outcome, LockOutcome::Busy);
    EXPECT_FALSE(second.lock);
    EXPECT_EQ(second.holder, ::getpid());

    // Moved, it is still held; released once, by the object that has it.
    DeviceLock moved = std::move(*first.lock);
    first.lock.reset();
    EXPECT_EQ(tryLockDevice(file).outcome, LockOutcome::Busy);
    { const DeviceLock gone = std::move(moved); }
    EXPECT_EQ(readLockHolder(file), 0) << "the pid goes with its holder";
    EXPECT_EQ(tryLockDevice(file).outcome, LockOutcome::Taken);
}

TEST_F(DeviceLockTest, ABoundedWaitEndsBusyWithTheHolderAndSaysOnceThatItWaits) {
    const LockAttempt held = tryLockDevice(file);
    ASSERT_EQ(held.outcome, LockOutcome::Taken);
    std::vector<pid_t> announced;
    const LockAttempt waited = lockDevice(
        file, {std::chrono::milliseconds(0), -1, [&](pid_t holder) { announced.push_back(holder); }});
    EXPECT_EQ(waited.outcome, LockOutcome::Busy);
    EXPECT_EQ(waited.holder, ::getpid());
    EXPECT_EQ(announced, std::vector<pid_t>{::getpid()});
}

TEST_F(DeviceLockTest, AWaiterTakesTheLockWhenTheHolderLetsGoOrIsCalledOff) {
    LockAttempt held = tryLockDevice(file);
    ASSERT_EQ(held.outcome, LockOutcome::Taken);
    std::promise<void> waiting;
    auto waiter = std::async(std::launch::async, [&] {
        return lockDevice(file, {std::nullopt, -1, [&](pid_t) { waiting.set_value(); }});
    });
    waiting.get_future().wait();
    held.lock.reset();
    const LockAttempt taken = waiter.get();
    EXPECT_EQ(taken.outcome, LockOutcome::Taken);

    const int cancel = ::eventfd(0, EFD_CLOEXEC);
    std::promise<void> waitingAgain;
    auto calledOff = std::async(std::launch::async, [&] {
        return lockDevice(file, {std::nullopt, cancel, [&](pid_t) { waitingAgain.set_value(); }});
    });
    waitingAgain.get_future().wait();
    const uint64_t one = 1;
    ASSERT_EQ(::write(cancel, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    EXPECT_EQ(calledOff.get().outcome, LockOutcome::Cancelled);
    ::close(cancel);
}

TEST_F(DeviceLockTest, TheLockOfAProcessThatDiesIsFreeForTheWaiter) {
    std::filesystem::create_directories(file.parent_path());
    LockingChild child(file);
    ASSERT_TRUE(child.locked());
    const LockAttempt busy = tryLockDevice(file);
    EXPECT_EQ(busy.outcome, LockOutcome::Busy);
    EXPECT_EQ(busy.holder, child.pid());

    std::promise<pid_t> waiting;
    auto waiter = std::async(std::launch::async, [&] {
        return lockDevice(file, {std::nullopt, -1, [&](pid_t holder) { waiting.set_value(holder); }});
    });
    EXPECT_EQ(waiting.get_future().get(), child.pid());
    child.kill();  // no unlock, no orderly close: the kernel drops the lock
    const LockAttempt taken = waiter.get();
    EXPECT_EQ(taken.outcome, LockOutcome::Taken);
    EXPECT_EQ(readLockHolder(file), ::getpid());
}

TEST_F(DeviceLockTest, APidLeftByAHolderThatDiedIsNotNamedForTheNextHolder) {
    std::filesystem::create_directories(file.parent_path());
    pid_t dead = 0;
    {
        LockingChild child(file);
        ASSERT_TRUE(child.locked());
        dead = child.pid();
    }
    ASSERT_EQ(readLockHolder(file), dead);
    // Held by a program that writes no pid (as flock(1) does).
    const int bare = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(bare, LOCK_EX | LOCK_NB), 0);
    const LockAttempt busy = tryLockDevice(file);
    EXPECT_EQ(busy.outcome, LockOutcome::Busy);
    EXPECT_EQ(busy.holder, 0);
    ::close(bare);
}

TEST_F(DeviceLockTest, TheWaiterThreadHandsTheLockOverOrIsCalledOffWhenItGoes) {
    LockAttempt held = tryLockDevice(file);
    ASSERT_EQ(held.outcome, LockOutcome::Taken);
    std::promise<pid_t> waiting;
    std::promise<void> ended;
    DeviceLockWaiter waiter(
        file, [&](pid_t holder) { waiting.set_value(holder); }, [&] { ended.set_value(); });
    EXPECT_EQ(waiting.get_future().get(), ::getpid());
    EXPECT_EQ(waiter.take().outcome, LockOutcome::Cancelled);  // nothing yet
    held.lock.reset();
    ended.get_future().wait();
    LockAttempt taken = waiter.take();
    EXPECT_EQ(taken.outcome, LockOutcome::Taken);
    EXPECT_TRUE(taken.lock);
    EXPECT_FALSE(waiter.take().lock);  // handed over once

    // Going while it waits: the wait is called off and `ended` never runs.
    bool endedAgain = false;
    std::promise<void> waitingAgain;
    {
        DeviceLockWaiter gone(
            file, [&](pid_t) { waitingAgain.set_value(); }, [&] { endedAgain = true; });
        waitingAgain.get_future().wait();
    }
    EXPECT_FALSE(endedAgain);
}

TEST_F(DeviceLockTest, TheHolderPidIsReadBoundedAndOnlyWhenPlausible) {
    const std::pair<std::string, pid_t> cases[] = {
        {"1234\n", 1234}, {"42", 42},           {"", 0},
        {"abc\n", 0},     {"-5\n", 0},          {"0\n", 0},
        {"12 34\n", 0},   {"99999999999\n", 0}, {"1234\n" + std::string(100, '7'), 0},
    };
    for (const auto& [text, pid] : cases) {
        write(text);
        EXPECT_EQ(readLockHolder(file), pid) << '"' << text << '"';
    }
    EXPECT_EQ(readLockHolder(folder / "missing.lock"), 0);
}

TEST_F(DeviceLockTest, AFolderOthersCanWriteToOrALinkInsteadOfTheFileIsRefused) {
    std::filesystem::create_directories(file.parent_path());
    ::chmod(file.parent_path().c_str(), 0777);
    LockAttempt open = tryLockDevice(file);
    EXPECT_EQ(open.outcome, LockOutcome::Failed);
    EXPECT_NE(open.problem.find(file.parent_path().string()), std::string::npos) << open.problem;
    EXPECT_EQ(lockDevice(file, {std::chrono::milliseconds(0), -1, {}}).outcome, LockOutcome::Failed);

    ::chmod(file.parent_path().c_str(), 0700);
    std::ofstream(folder / "elsewhere") << "";
    std::filesystem::create_symlink(folder / "elsewhere", file);
    open = tryLockDevice(file);
    EXPECT_EQ(open.outcome, LockOutcome::Failed);
    EXPECT_FALSE(open.problem.empty());
}

TEST(DeviceLockFolder, TheSessionRuntimeFolderOrAPrivateFolderInTmp) {
    {
        const test::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/4321");
        EXPECT_EQ(deviceLockFolder(), std::filesystem::path("/run/user/4321/halvern"));
    }
    const std::string fallback = "/tmp/halvern-" + std::to_string(::geteuid());
    {
        const test::ScopedEnv relative("XDG_RUNTIME_DIR", "relative/folder");
        EXPECT_EQ(deviceLockFolder(), std::filesystem::path(fallback));
    }
    const test::ScopedEnv empty("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(deviceLockFolder(), std::filesystem::path(fallback));
}

}  // namespace
}  // namespace halvern
