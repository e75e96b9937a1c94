#pragma once

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "devices/linux_audio/pulse_client.h"

extern char** environ;

namespace halvern::test {

/// A PulseAudio server of the test's own (own runtime folder and socket), with a null sink and a source
/// (over a null source) that carry the headset's USB identity, and a second sink that is not the headset. The
/// process's PULSE_SERVER points at it. `running()` is false when the server could not be started.
class PrivateSoundServer {
public:
    static constexpr const char* kHeadsetSink = "headset";
    static constexpr const char* kHeadsetSource = "headset_mic";

    PrivateSoundServer() {
        std::string pattern = (std::filesystem::temp_directory_path() / "halvern-pulse-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        m_folder = pattern;
        const std::string socket = m_folder + "/native";
        const std::string identity = "device.vendor.id=0c76 device.product.id=1630";
        std::vector<std::string> arguments{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=10", "--use-pid-file=no",
            "--log-target=stderr", "--log-level=0", "-L", "module-null-sink sink_name=speakers", "-L",
            std::string("module-null-sink sink_name=") + kHeadsetSink + " sink_properties='" + identity +
                " device.description=Headset'",
            // A null source cannot be given properties; a remapping of one can.
            "-L", "module-null-source source_name=microphone", "-L",
            std::string("module-remap-source master=microphone source_name=") + kHeadsetSource +
                " source_properties='" + identity + " device.description=HeadsetMic'",
            "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket};
        for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH"})
            ::setenv(name, m_folder.c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        ::unsetenv("DISPLAY");
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "pulseaudio", nullptr, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
            return;
        }
        // Polls until the server answers (it has no other way to say it is ready).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        audio::PulseClient client;
        while (!client.connect(std::chrono::steady_clock::now() + std::chrono::milliseconds(200))) {
            if (std::chrono::steady_clock::now() > deadline || exited()) {
                stop();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_running = true;
    }
    ~PrivateSoundServer() {
        stop();
        std::error_code error;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, error);
    }
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    [[nodiscard]] bool running() const { return m_running; }
    /// Stops or resumes the server's process (a server that hangs).
    void pause(bool paused) const { ::kill(m_pid, paused ? SIGSTOP : SIGCONT); }

private:
    bool exited() { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid ? (m_pid = -1, true) : false; }
    void stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGCONT);
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    std::string m_folder;
    pid_t m_pid = -1;
    bool m_running = false;
};

/// What `command` (run by the shell, against the private server) writes on its standard output.
inline std::string commandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    ::pclose(pipe);
    return out;
}

}  // namespace halvern::test
