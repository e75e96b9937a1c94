#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
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
        // The server says it is ready as a systemd service does: "READY=1" to the socket NOTIFY_SOCKET names.
        const Descriptor notify(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string notifyPath = m_folder + "/notify";
        if (!notify.valid() || notifyPath.size() >= sizeof address.sun_path) return;
        std::memcpy(address.sun_path, notifyPath.c_str(), notifyPath.size() + 1);
        if (::bind(notify.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return;
        ::setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        ::unsetenv("DISPLAY");
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = ::posix_spawnp(&m_pid, "pulseaudio", nullptr, nullptr, argv.data(), environ);
        ::unsetenv("NOTIFY_SOCKET");
        if (spawned != 0) {
            m_pid = -1;
            return;
        }
        audio::PulseClient client;
        if (!awaitReady(notify.fd, std::chrono::seconds(10)) ||
            !client.connect(std::chrono::steady_clock::now() + std::chrono::seconds(2))) {
            stop();
            return;
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
    struct Descriptor {
        explicit Descriptor(int f) : fd(f) {}
        ~Descriptor() {
            if (fd >= 0) ::close(fd);
        }
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;
        [[nodiscard]] bool valid() const { return fd >= 0; }
        int fd;
    };

    /// Waits for the server's "READY=1" on `notify`; false when the server ends first or `bound` passes.
    [[nodiscard]] bool awaitReady(int notify, std::chrono::milliseconds bound) const {
        const Descriptor ended(static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0)));
        if (!ended.valid()) return false;
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd watched[2] = {{notify, POLLIN, 0}, {ended.fd, POLLIN, 0}};
            if (::poll(watched, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
            if (watched[1].revents != 0) return false;  // the server ended
            if ((watched[0].revents & POLLIN) == 0) continue;
            char message[256];
            const ssize_t got = ::recv(notify, message, sizeof message, 0);
            if (got > 0 &&
                std::string_view(message, static_cast<size_t>(got)).find("READY=1") != std::string_view::npos)
                return true;
        }
    }
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
