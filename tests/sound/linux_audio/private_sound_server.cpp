#include "private_sound_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "devices/linux_audio/pulse_client.h"
#include "wait_for.h"

extern char** environ;

namespace halvern::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartBound = std::chrono::seconds(10);
constexpr auto kCallBound = std::chrono::seconds(2);
constexpr std::string_view kIdentity = "device.vendor.id=0c76 device.product.id=1630";

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

bool ended(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

// Waits for "READY=1" on `notify` from `pid` (as a systemd service says it is ready); false when the
// process ends first or the bound passes.
bool awaitReady(pid_t pid, int notify) {
    const Descriptor gone(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!gone.valid()) return false;
    const auto deadline = Clock::now() + kStartBound;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        std::array<pollfd, 2> watched{{{notify, POLLIN, 0}, {gone.fd, POLLIN, 0}}};
        if (::poll(watched.data(), watched.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
            return false;
        if (watched[1].revents != 0) return false;
        if ((watched[0].revents & POLLIN) == 0) continue;
        std::array<char, 256> message{};
        const ssize_t got = ::recv(notify, message.data(), message.size(), 0);
        if (got > 0 && std::string_view(message.data(), static_cast<size_t>(got)).find("READY=1") !=
                           std::string_view::npos)
            return true;
    }
}

std::string nodeArguments(std::string_view name, std::string_view description) {
    return "sink_name=" + std::string(name) + " sink_properties='" + std::string(kIdentity) +
           " device.description=" + std::string(description) + "'";
}

}  // namespace

std::string_view soundServerName(SoundServerKind kind) {
    return kind == SoundServerKind::PulseAudio ? "PulseAudio" : "PipeWire";
}

PrivateSoundServer::PrivateSoundServer(SoundServerKind kind) : m_kind(kind) {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvern-sound-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_whyNot = "no temporary folder for a sound server";
        return;
    }
    m_folder = pattern;
    std::error_code error;
    std::filesystem::create_directories(m_folder + "/pulse", error);
    const bool started = kind == SoundServerKind::PulseAudio ? startPulseAudio() : startPipeWire();
    if (!started) {
        stop();
        return;
    }
    select();
    if (!addDevices()) {
        stop();
        return;
    }
    m_running = true;
}

PrivateSoundServer::~PrivateSoundServer() {
    stop();
    std::error_code error;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, error);
}

namespace {
std::array<std::unique_ptr<PrivateSoundServer>, 2>& sharedServers() {
    static std::array<std::unique_ptr<PrivateSoundServer>, 2> servers;
    return servers;
}
}  // namespace

PrivateSoundServer& PrivateSoundServer::shared(SoundServerKind kind) {
    auto& server = sharedServers()[static_cast<size_t>(kind)];
    if (!server) server = std::make_unique<PrivateSoundServer>(kind);
    server->select();
    return *server;
}

void PrivateSoundServer::stopShared() {
    for (auto& server : sharedServers()) server.reset();
}

std::vector<std::string> PrivateSoundServer::environment() const {
    std::vector<std::string> result{
        "HOME=" + m_folder,
        "XDG_RUNTIME_DIR=" + m_folder,
        "XDG_CONFIG_HOME=" + m_folder + "/config",
        "XDG_STATE_HOME=" + m_folder + "/state",
        "XDG_DATA_HOME=" + m_folder + "/data",
        "PULSE_RUNTIME_PATH=" + m_folder + "/pulse",
        "PIPEWIRE_RUNTIME_DIR=" + m_folder,
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_folder + "/bus",
    };
    // Everything else is the test's, less what would lead a server elsewhere (a display to autolaunch a
    // bus on, the user's servers).
    constexpr std::array<std::string_view, 12> kReplaced{
        "HOME=",          "XDG_RUNTIME_DIR=",    "XDG_CONFIG_HOME=",      "XDG_STATE_HOME=",
        "XDG_DATA_HOME=", "PULSE_RUNTIME_PATH=", "PIPEWIRE_RUNTIME_DIR=", "DBUS_SESSION_BUS_ADDRESS=",
        "DISPLAY=",       "WAYLAND_DISPLAY=",    "PULSE_SERVER=",         "PIPEWIRE_REMOTE="};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        bool replaced = text.starts_with("NOTIFY_SOCKET=");
        for (const std::string_view key : kReplaced) replaced = replaced || text.starts_with(key);
        if (!replaced) result.emplace_back(text);
    }
    return result;
}

std::optional<pid_t> PrivateSoundServer::spawn(std::vector<std::string> arguments, const std::string& log) {
    std::vector<std::string> variables = environment();
    if (!log.empty()) variables.push_back(log);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    envp.reserve(variables.size() + 1);
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    // The servers talk a lot on stderr: into a log file in the folder, not the test's output.
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    const std::string logFile = m_folder + "/" + arguments.front() + ".log";
    ::posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        m_whyNot = arguments.front() + " could not be started (" + std::strerror(spawned) + ")";
        return std::nullopt;
    }
    m_processes.push_back(pid);
    return pid;
}

bool PrivateSoundServer::startPulseAudio() {
    const Descriptor notify(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string notifyPath = m_folder + "/notify";
    if (!notify.valid() || notifyPath.size() >= sizeof address.sun_path) {
        m_whyNot = "no socket for PulseAudio to say it is ready";
        return false;
    }
    std::memcpy(address.sun_path, notifyPath.c_str(), notifyPath.size() + 1);
    if (::bind(notify.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        m_whyNot = "no socket for PulseAudio to say it is ready";
        return false;
    }
    const auto pid =
        spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
               "--log-target=stderr", "--log-level=2", "-L",
               "module-native-protocol-unix auth-anonymous=1 socket=" + m_folder + "/pulse/native"},
              "NOTIFY_SOCKET=" + notifyPath);
    if (!pid) return false;
    m_pulseProcess = *pid;
    if (!awaitReady(*pid, notify.fd)) {
        m_whyNot = "PulseAudio did not start (see " + m_folder + "/pulseaudio.log)";
        return false;
    }
    return true;
}

bool PrivateSoundServer::startPipeWire() {
    // WirePlumber without its hardware monitors: the private server sees no real sound card or camera.
    std::error_code error;
    for (const char* part : {"main", "bluetooth"})
        std::filesystem::create_directories(m_folder + "/config/wireplumber/" + part + ".lua.d", error);
    std::ofstream(m_folder + "/config/wireplumber/main.lua.d/60-test.lua")
        << "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n";
    std::ofstream(m_folder + "/config/wireplumber/bluetooth.lua.d/60-test.lua")
        << "bluez_monitor.enabled = false\n";

    const auto appears = [this](const std::string& name, pid_t by) {
        return waitFor([&] { return ended(by) || std::filesystem::exists(m_folder + "/" + name); },
                       kStartBound) &&
               std::filesystem::exists(m_folder + "/" + name);
    };
    const auto bus = spawn(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + m_folder + "/bus"});
    if (!bus) return false;
    if (!appears("bus", *bus)) {
        m_whyNot = "no session bus for WirePlumber (dbus-daemon did not start)";
        return false;
    }
    const auto pipewire = spawn({"pipewire"});
    if (!pipewire) return false;
    if (!appears("pipewire-0", *pipewire)) {
        m_whyNot = "PipeWire did not start (see " + m_folder + "/pipewire.log)";
        return false;
    }
    if (!spawn({"wireplumber"})) return false;
    const auto pulse = spawn({"pipewire-pulse"});
    if (!pulse) return false;
    m_pulseProcess = *pulse;
    if (!appears("pulse/native", *pulse)) {
        m_whyNot = "pipewire-pulse did not start (see " + m_folder + "/pipewire-pulse.log)";
        return false;
    }
    return true;
}

bool PrivateSoundServer::addDevices() {
    audio::PulseClient client;
    const auto deadline = Clock::now() + kStartBound;
    if (!waitFor([&] { return client.connect(Clock::now() + kCallBound); }, kStartBound)) {
        m_whyNot = std::string(soundServerName(m_kind)) + " does not answer on its socket";
        return false;
    }
    bool added = client.loadModule("module-null-sink", "sink_name=speakers", deadline).has_value() &&
                 client.loadModule("module-null-sink", nodeArguments(kHeadsetSink, "Headset"), deadline);
    if (m_kind == SoundServerKind::PulseAudio) {
        // A null source cannot be given properties; a remapping of one can.
        added = added &&
                client.loadModule("module-null-source", "source_name=microphone", deadline).has_value() &&
                client.loadModule("module-remap-source",
                                  "master=microphone source_name=" + std::string(kHeadsetSource) +
                                      " source_properties='" + std::string(kIdentity) +
                                      " device.description=HeadsetMic'",
                                  deadline);
    } else {
        added = added && client.loadModule("module-null-sink",
                                           "media.class=Audio/Source/Virtual " +
                                               nodeArguments(kHeadsetSource, "HeadsetMic"),
                                           deadline);
    }
    if (!added) {
        m_whyNot = std::string(soundServerName(m_kind)) + " refused the test's sinks and source";
        return false;
    }
    // The session manager has taken the devices on once it chose a default output.
    const bool managed = waitFor(
        [&] {
            const auto name = client.defaultSink(Clock::now() + kCallBound);
            return name && !name->empty() && *name != "@DEFAULT_SINK@";
        },
        kStartBound);
    if (!managed)
        m_whyNot = std::string(soundServerName(m_kind)) + " chose no default output (no session manager?)";
    return managed;
}

void PrivateSoundServer::select() const {
    if (m_folder.empty()) return;
    ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
    ::setenv("PULSE_RUNTIME_PATH", (m_folder + "/pulse").c_str(), 1);
    ::setenv("PULSE_SERVER", ("unix:" + m_folder + "/pulse/native").c_str(), 1);
    // The PipeWire clients we start (the surround's filter chain) join this server too.
    ::setenv("PIPEWIRE_RUNTIME_DIR", m_folder.c_str(), 1);
    ::unsetenv("PIPEWIRE_REMOTE");
    ::unsetenv("DISPLAY");
}

void PrivateSoundServer::pause(bool paused) const {
    if (m_pulseProcess > 0) ::kill(m_pulseProcess, paused ? SIGSTOP : SIGCONT);
}

bool PrivateSoundServer::removeHeadsetSink() const {
    audio::PulseClient client;
    const auto deadline = Clock::now() + kCallBound;
    const auto sinks = client.sinks(deadline);
    if (!sinks) return false;
    for (const auto& sink : *sinks)
        if (sink.name == kHeadsetSink && sink.ownerModule != audio::PulseClient::kNoIndex)
            return client.unloadModule(sink.ownerModule, deadline);
    return false;
}

bool PrivateSoundServer::addHeadsetSink() const {
    audio::PulseClient client;
    return client
        .loadModule("module-null-sink", nodeArguments(kHeadsetSink, "Headset"), Clock::now() + kCallBound)
        .has_value();
}

double PrivateSoundServer::cpuSeconds() const {
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    double seconds = 0;
    for (const pid_t pid : m_processes) {
        std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
        const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // Fields after the command's closing parenthesis: state is the first, utime the 12th, stime the 13th.
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(stat.substr(close + 1));
        std::string field;
        for (int i = 1; i <= 13 && fields >> field; ++i)
            if (i >= 12) seconds += std::strtod(field.c_str(), nullptr) / tick;
    }
    return seconds;
}

void PrivateSoundServer::stop() {
    m_running = false;
    for (auto pid = m_processes.rbegin(); pid != m_processes.rend(); ++pid) {
        ::kill(*pid, SIGCONT);
        ::kill(*pid, SIGTERM);
        ::waitpid(*pid, nullptr, 0);
    }
    m_processes.clear();
    m_pulseProcess = -1;
}

std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, decltype(&::pclose)> pipe(::popen(command.c_str(), "r"), &::pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        out.append(buffer.data(), got);
    return out;
}

}  // namespace halvern::test
