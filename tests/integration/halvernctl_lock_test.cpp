// One program at a time on a device: halvernctl takes the device's lock before it sends anything, a second
// halvernctl waits for it, and emulators that share a state folder share the device and its lock.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/mouse_command.h"
#include "cli/run_locks.h"
#include "cli/show_command.h"
#include "device/device_lock.h"
#include "device/hidraw_backend.h"
#include "device/supported_devices.h"
#include "emulator/emulator.h"
#include "temp_env.h"

extern char** environ;

namespace halvern::cli {
namespace {

using namespace std::chrono_literals;

unsigned commandsReceived(const emu::Firmware& firmware) {
    unsigned total = 0;
    for (int code = 0; code < 256; ++code) total += firmware.commandCount(static_cast<uint8_t>(code));
    return total;
}

/// A private runtime folder (where the locks live), data folder and emulator state folder.
class LockedDeviceTest : public ::testing::Test {
protected:
    test::TempDir root;
    const std::filesystem::path runtime = root / "runtime";
    const std::filesystem::path state = root / "state";
    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.string()};
    test::ScopedEnv dataEnv{"XDG_DATA_HOME", (root / "data").string()};
    test::ScopedEnv configEnv{"XDG_CONFIG_HOME", (root / "config").string()};

    LockedDeviceTest() { std::filesystem::create_directories(runtime); }

    std::filesystem::path mouseLock(const HidBackend& backend) {
        const auto file = deviceLockFile(backend, type_code::kMouse);
        EXPECT_TRUE(file);
        return file.value_or(root / "none");
    }
};

TEST_F(LockedDeviceTest, OneLockPerProductAndPlaceItsProgramsShare) {
    emu::Emulator first({.stateDirectory = state});
    emu::Emulator second({.stateDirectory = root / "state" / ".." / "state"});
    emu::Emulator elsewhere({.stateDirectory = root / "other"});
    emu::Emulator alone;
    HidrawBackend hidraw;

    EXPECT_EQ(mouseLock(first), mouseLock(second));  // one state folder: one device
    EXPECT_EQ(mouseLock(first).parent_path(), runtime / "halvern");
    EXPECT_EQ(deviceLockFile(first, type_code::kMouseReceiver), deviceLockFile(first, type_code::kMouse));
    EXPECT_NE(deviceLockFile(first, type_code::kKeyboard), deviceLockFile(first, type_code::kMouse));
    EXPECT_NE(mouseLock(first), mouseLock(elsewhere));
    EXPECT_NE(mouseLock(first), mouseLock(hidraw));
    EXPECT_FALSE(deviceLockFile(alone, type_code::kMouse));  // nobody else reaches its devices
}

TEST_F(LockedDeviceTest, ACommandSendsNothingWhileAnotherProgramHoldsTheDeviceAndHoldsItForTheRun) {
    emu::Emulator emulator({.transport = emu::Transport::SocketPair, .stateDirectory = state});
    const auto mouse = emulator.attach(emu::Product::Mouse);
    ASSERT_TRUE(mouse);
    LockAttempt other = tryLockDevice(mouseLock(emulator));
    ASSERT_EQ(other.outcome, LockOutcome::Taken) << other.problem;

    std::ostringstream out, err;
    {
        RunLocks locks(0ms);
        const CommandContext context{emulator, false, out, err, nullptr, &locks};
        EXPECT_EQ(runDpiCommand(context, {"1", "--dpi", "800"}), kExitDeviceError);
    }
    const std::string pid = std::to_string(::getpid());
    EXPECT_EQ(err.str(), "halvernctl: waiting for another program (pid " + pid +
                             ") that uses the mouse...\n"
                             "halvernctl: the mouse is still in use by another program (pid " +
                             pid + "); try again when it has finished\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(commandsReceived(mouse->firmware()), 0u);

    other.lock.reset();
    err.str("");
    {
        RunLocks locks(0ms);
        const CommandContext context{emulator, false, out, err, nullptr, &locks};
        EXPECT_EQ(runDpiCommand(context, {"1", "--dpi", "800"}), kExitOk) << err.str();
        // The same device again in the same run: already this run's, no wait on itself.
        EXPECT_EQ(runDpiCommand(context, {"2", "--dpi", "1600"}), kExitOk) << err.str();
        EXPECT_EQ(tryLockDevice(mouseLock(emulator)).outcome, LockOutcome::Busy);
    }
    EXPECT_EQ(err.str(), "");
    EXPECT_GT(commandsReceived(mouse->firmware()), 0u);
    EXPECT_EQ(tryLockDevice(mouseLock(emulator)).outcome, LockOutcome::Taken);  // the run is over
}

TEST_F(LockedDeviceTest, ALockFolderOthersCanWriteToStopsTheCommandBeforeItSendsAnything) {
    emu::Emulator emulator({.transport = emu::Transport::SocketPair, .stateDirectory = state});
    const auto mouse = emulator.attach(emu::Product::Mouse);
    std::filesystem::create_directories(runtime / "halvern");
    std::filesystem::permissions(runtime / "halvern", std::filesystem::perms::all);
    std::ostringstream out, err;
    RunLocks locks;
    const CommandContext context{emulator, false, out, err, nullptr, &locks};
    EXPECT_EQ(runDpiCommand(context, {"1", "--dpi", "800"}), kExitDeviceError);
    EXPECT_EQ(err.str(), "halvernctl: cannot reserve the mouse for this run: The lock folder " +
                             (runtime / "halvern").string() +
                             " is not a folder of yours that only you can write to; remove it or set "
                             "XDG_RUNTIME_DIR.\n");
    EXPECT_EQ(commandsReceived(mouse->firmware()), 0u);
}

TEST_F(LockedDeviceTest, EmulatorsSharingAStateFolderShareTheDevicesMemory) {
    const std::vector<uint8_t> mark{0x5A, 0xA5};
    auto later = std::make_unique<emu::Emulator>(emu::EmulatorOptions{.stateDirectory = state});
    ASSERT_TRUE(later->attach(emu::Product::Mouse));
    {
        emu::Emulator first({.stateDirectory = state});
        const auto mouse = first.attach(emu::Product::Mouse);
        ASSERT_TRUE(mouse->firmware().poke(emu::Region::Settings, 20, mark));
        ASSERT_TRUE(mouse->firmware().save());
    }
    // Made before the change, it opens the device as the other program left it ...
    const auto node = later->openNode("emu:mouse/1#4", true);
    ASSERT_TRUE(node);
    const auto seen = later->device(emu::Product::Mouse)->firmware().region(emu::Region::Settings);
    EXPECT_EQ(std::vector<uint8_t>(seen.begin() + 20, seen.begin() + 22), mark);

    // ... and one that never opened it does not write its older memory over the newer file.
    auto stale = std::make_unique<emu::Emulator>(emu::EmulatorOptions{.stateDirectory = state});
    ASSERT_TRUE(stale->attach(emu::Product::Mouse));
    {
        emu::Emulator writer({.stateDirectory = state});
        const auto mouse = writer.attach(emu::Product::Mouse);
        ASSERT_TRUE(mouse->firmware().poke(emu::Region::Settings, 30, mark));
        ASSERT_TRUE(mouse->firmware().save());
    }
    stale.reset();
    emu::Emulator reader({.stateDirectory = state});
    const auto kept = reader.attach(emu::Product::Mouse)->firmware().region(emu::Region::Settings);
    EXPECT_EQ(std::vector<uint8_t>(kept.begin() + 30, kept.begin() + 32), mark);
}

/// A halvernctl process with its standard error on a pipe.
class CtlProcess {
public:
    explicit CtlProcess(const std::vector<std::string>& words) {
        int err[2];
        if (::pipe2(err, O_CLOEXEC) != 0) return;
        std::vector<std::string> all{HALVERNCTL_BINARY};
        all.insert(all.end(), words.begin(), words.end());
        std::vector<char*> argv;
        argv.reserve(all.size() + 1);
        for (std::string& word : all) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        m_err = err[0];
    }
    ~CtlProcess() {
        if (m_pid > 0) (void)exitCode();
        if (m_err >= 0) ::close(m_err);
    }
    CtlProcess(const CtlProcess&) = delete;
    CtlProcess& operator=(const CtlProcess&) = delete;

    [[nodiscard]] bool started() const { return m_pid > 0; }
    [[nodiscard]] int errFd() const { return m_err; }
    /// Takes what waits on the pipe (called when it is readable); false at its end.
    bool readErr() {
        std::array<char, 512> buffer{};
        const ssize_t got = ::read(m_err, buffer.data(), buffer.size());
        if (got > 0) m_errText.append(buffer.data(), static_cast<size_t>(got));
        return got > 0;
    }
    [[nodiscard]] const std::string& errText() const { return m_errText; }
    int exitCode() {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid) return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_err = -1;
    std::string m_errText;
};

/// The OUT command codes of a capture, in order ("OUT mouse 04 <sum> <sum> <code> ...").
std::vector<int> commandCodes(const std::string& capture) {
    std::vector<int> codes;
    std::istringstream lines(capture);
    std::string direction, device, reportId, sumLow, sumHigh, code, rest;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        if (words >> direction >> device >> reportId >> sumLow >> sumHigh >> code && direction == "OUT" &&
            reportId == "04") {
            codes.push_back(std::stoi(code, nullptr, 16));
        }
    }
    return codes;
}

TEST_F(LockedDeviceTest, TwoHalvernctlRunsOnOneDeviceTakeTurnsWithoutInterleavingTheirSequences) {
    // Both runs write their traffic into one pipe, in the order it happens.
    const std::filesystem::path capture = root / "capture";
    ASSERT_EQ(::mkfifo(capture.c_str(), 0600), 0);
    const int traffic = ::open(capture.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(traffic, 0);
    emu::Emulator probe({.stateDirectory = state});
    LockAttempt held = tryLockDevice(mouseLock(probe));
    ASSERT_EQ(held.outcome, LockOutcome::Taken);

    const std::vector<std::string> emulate{"--emulate",    "mouse",     "--emulator-state",
                                           state.string(), "--capture", capture.string()};
    auto words = [&](std::vector<std::string> command) {
        command.insert(command.begin(), emulate.begin(), emulate.end());
        return command;
    };
    CtlProcess first(words({"dpi", "2", "--dpi", "1200"}));
    CtlProcess second(words({"dpi", "3", "--dpi", "1600"}));
    ASSERT_TRUE(first.started() && second.started());

    // Both wait for this test's hold, and say so, before either sends anything.
    const std::string waiting = "halvernctl: waiting for another program (pid " + std::to_string(::getpid()) +
                                ") that uses the mouse...\n";
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (first.errText().find(waiting) == std::string::npos ||
           second.errText().find(waiting) == std::string::npos) {
        std::array<pollfd, 2> fds{{{first.errFd(), POLLIN, 0}, {second.errFd(), POLLIN, 0}}};
        ASSERT_GT(::poll(fds.data(), fds.size(), 1000), -1);
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << first.errText() << second.errText();
        if (fds[0].revents) {
            ASSERT_TRUE(first.readErr()) << first.errText();
        }
        if (fds[1].revents) {
            ASSERT_TRUE(second.readErr()) << second.errText();
        }
    }
    pollfd quiet{traffic, POLLIN, 0};
    EXPECT_EQ(::poll(&quiet, 1, 0), 0) << "a waiting run sent to the device";

    held.lock.reset();
    std::string lines;
    std::array<char, 4096> buffer{};
    for (;;) {
        pollfd fd{traffic, POLLIN, 0};
        ASSERT_GT(::poll(&fd, 1, 30'000), 0) << "the runs never finished";
        const ssize_t got = ::read(traffic, buffer.data(), buffer.size());
        if (got <= 0) break;  // both runs closed their capture
        lines.append(buffer.data(), static_cast<size_t>(got));
    }
    ::close(traffic);
    while (first.readErr()) {
    }
    while (second.readErr()) {
    }
    EXPECT_EQ(first.exitCode(), kExitOk) << first.errText();
    EXPECT_EQ(second.exitCode(), kExitOk) << second.errText();
    EXPECT_EQ(first.errText(), waiting);
    EXPECT_EQ(second.errText(), waiting);

    // Every Begin (0x01) is closed by its End (0x02) before the next Begin.
    int open = 0, sequences = 0;
    for (int code : commandCodes(lines)) {
        if (code == 0x01) {
            EXPECT_EQ(open, 0) << "two Begin ... End sequences interleave:\n" << lines;
            ++open, ++sequences;
        } else if (code == 0x02) {
            EXPECT_EQ(open, 1) << lines;
            open = 0;
        }
    }
    EXPECT_EQ(open, 0);
    EXPECT_GE(sequences, 2);

    // The later run started from what the earlier one left: both stages are on the device.
    emu::Emulator after({.stateDirectory = state});
    ASSERT_TRUE(after.attach(emu::Product::Mouse));
    std::ostringstream out, err;
    const CommandContext context{after, false, out, err};
    EXPECT_EQ(runShowCommand(context, {"mouse"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("stage 2: on, active, 1200 DPI"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("stage 3: on, 1600 DPI"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace halvern::cli
