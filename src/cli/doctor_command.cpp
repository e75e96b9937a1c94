#include "cli/doctor_command.h"

#include <fcntl.h>
#include <json/json.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <system_error>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "device/hid_backend.h"
#include "device/udev_rules.h"

namespace halvern::cli {
namespace {

std::optional<std::string> processEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::optional<std::string> envOf(const SessionProbe& probe, const char* name) {
    return probe.env ? probe.env(name) : processEnv(name);
}

/// True when something listens on the Unix socket at `path` (a socket left by a dead server refuses).
bool socketAnswers(const std::filesystem::path& path) {
    sockaddr_un address{};
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

bool pathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

constexpr const char* kStartSound =
    "start PipeWire with its PulseAudio layer (apt install pipewire-pulse; systemctl --user start "
    "pipewire-pulse) or PulseAudio in your session";

/// The rules line: installed or not, and whether the installed file is the one this program would write.
DoctorLine checkUdevRules(const std::vector<std::filesystem::path>& folders) {
    const std::filesystem::path installed = findInstalledUdevRules(folders);
    if (installed.empty()) {
        return {"udev rules", std::string(kUdevRulesFileName), false,
                "not installed: only root can open the devices",
                "install them: " + std::string(kInstallRulesCommand)};
    }
    std::ifstream in(installed, std::ios::binary);
    constexpr size_t kMaxRulesBytes = size_t{64} * 1024;  // ours is under 2 KiB
    std::string text(kMaxRulesBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (text != makeUdevRules()) {
        return {"udev rules", installed.string(), false, "installed, but not the rules of this version",
                "replace them: " + std::string(kInstallRulesCommand)};
    }
    return {"udev rules", installed.string(), true, "installed", ""};
}

std::string hexId(uint16_t vid, uint16_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vid, pid);
    return text;
}

void printLines(const CommandContext& context, const std::vector<DoctorLine>& lines) {
    if (context.json) {
        Json::Value rows(Json::arrayValue);
        for (const DoctorLine& line : lines) {
            Json::Value row;
            row["topic"] = line.topic;
            row["subject"] = line.subject;
            row["ok"] = line.ok;
            row["reason"] = line.reason;
            row["fix"] = line.fix;
            rows.append(row);
        }
        Json::Value root(Json::objectValue);
        root["checks"] = rows;
        printJson(context.out, root);
        return;
    }
    for (const DoctorLine& line : lines) {
        context.out << (line.ok ? "ok    " : "FIX   ") << line.topic << ": " << line.subject << ": "
                    << line.reason;
        if (!line.fix.empty()) context.out << "; fix: " << line.fix;
        context.out << '\n';
    }
}

}  // namespace

DoctorLine checkSoundServer(const SessionProbe& probe) {
    DoctorLine line{"sound", "", false, "", ""};
    if (const auto server = envOf(probe, "PULSE_SERVER")) {
        line.subject = "PULSE_SERVER=" + *server;
        // "unix:/path" is checked; a network address is taken as it is.
        if (server->rfind("unix:", 0) == 0) {
            line.ok = socketAnswers(server->substr(5));
            line.reason = line.ok ? "PulseAudio protocol server answers" : "nothing answers at that socket";
            if (!line.ok) line.fix = std::string("unset PULSE_SERVER or ") + kStartSound;
        } else {
            line.ok = true;
            line.reason = "PulseAudio protocol server over the network (not checked)";
        }
        return line;
    }
    const auto runtime = envOf(probe, "XDG_RUNTIME_DIR");
    if (!runtime) {
        line.subject = "XDG_RUNTIME_DIR";
        line.reason = "not set, so there is no user session to find a sound server in";
        line.fix = "run from a desktop or 'systemd --user' session";
        return line;
    }
    const std::filesystem::path pulse = std::filesystem::path(*runtime) / "pulse" / "native";
    const bool pipewire = pathExists(std::filesystem::path(*runtime) / "pipewire-0");
    line.subject = pulse.string();
    if (socketAnswers(pulse)) {
        line.ok = true;
        line.reason = pipewire ? "PipeWire with its PulseAudio layer answers" : "PulseAudio answers";
    } else if (pipewire) {
        line.reason = "PipeWire runs without its PulseAudio layer, which the sound companion speaks";
        line.fix = "apt install pipewire-pulse; systemctl --user start pipewire-pulse";
    } else {
        line.reason = "no sound server answers";
        line.fix = kStartSound;
    }
    return line;
}

DoctorLine checkRecorderBackend(const SessionProbe& probe) {
    DoctorLine line{"display", "", false, "", ""};
    if (const auto wayland = envOf(probe, "WAYLAND_DISPLAY")) {
        // Under Wayland, XRecord would only see X clients; the recorder reads the input devices instead.
        line.subject = "Wayland " + *wayland;
        int readable = 0, total = 0;
        std::error_code error;
        for (std::filesystem::directory_iterator it(probe.inputFolder, error), end;
             !error && it != end && total < 256; it.increment(error)) {
            if (it->path().filename().native().rfind("event", 0) != 0) continue;
            ++total;
            const int fd = ::open(it->path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++readable;
                ::close(fd);
            }
        }
        line.ok = readable > 0;
        line.reason = "the recorder uses evdev; " + std::to_string(readable) + " of " +
                      std::to_string(total) + " input devices readable";
        if (!line.ok)
            line.fix = "add yourself to the group 'input' (sudo adduser $USER input) and log in again";
        return line;
    }
    if (const auto display = envOf(probe, "DISPLAY")) {
        line.subject = "X11 " + *display;
        line.reason = "the recorder uses XRecord";
        // ":N" and ":N.S" are local displays with a socket of their own; "host:N" is not checked.
        if (!display->empty() && display->front() == ':') {
            const std::string number = display->substr(1, display->find('.') - 1);
            if (!pathExists(probe.x11SocketFolder / ("X" + number))) {
                line.reason = "no X server listens on display " + *display;
                line.fix = "start the program inside your desktop session, or correct DISPLAY";
                return line;
            }
        }
        line.ok = true;
        return line;
    }
    line.subject = "no display";
    line.reason = "neither WAYLAND_DISPLAY nor DISPLAY is set, so the recorder cannot capture keys";
    line.fix = "run the program from a desktop session";
    return line;
}

int runDoctor(const CommandContext& context, const CommandArgs& args, const DoctorProbes& probes) {
    if (args.size() == 1 && args[0] == "--udev-rules") {
        context.out << makeUdevRules();
        return kExitOk;
    }
    if (!args.empty()) {
        const std::string& word = args[0] == "--udev-rules" ? args[1] : args[0];
        return usageError(
            context, "doctor",
            word.starts_with("-") ? "unknown option " + word : "takes no words but --udev-rules");
    }
    std::vector<HidEnumEntry> entries;
    if (!context.backend.enumerate(entries)) {
        context.err << "halvernctl: cannot list the HID devices (is udev available?)\n";
        return kExitDeviceError;
    }
    // One line per node: every collection of a node shares its permissions.
    const std::vector<UdevRuleMatch> supported = supportedHidInterfaces();
    std::map<std::string, UdevRuleMatch> nodes;
    for (const HidEnumEntry& entry : entries) {
        const UdevRuleMatch match{entry.attributes.vendorId, entry.attributes.productId,
                                  entry.interfaceNumber};
        if (std::find(supported.begin(), supported.end(), match) == supported.end()) continue;
        nodes.emplace(std::string(splitCollectionPath(entry.path).node), match);
    }
    std::vector<DoctorLine> lines;
    bool deviceProblem = false;
    for (const auto& [node, match] : nodes) {
        const AccessDiagnosis verdict =
            probes.diagnoseNode ? probes.diagnoseNode(node) : diagnoseNodeAccess(node);
        deviceProblem = deviceProblem || !verdict.canOpen;
        lines.push_back({"device",
                         std::string(interfaceDescription(match)) + " " + hexId(match.vid, match.pid) +
                             " interface " + std::to_string(match.interfaceNumber) + " at " + node,
                         verdict.access == NodeAccess::Ok, verdict.reason, verdict.fix});
    }
    if (nodes.empty()) {
        lines.push_back(
            {"device", "none", true, "no supported device is plugged in (or udev does not list it)", ""});
    }
    lines.push_back(checkUdevRules(probes.rulesFolders));
    lines.push_back(checkSoundServer(probes.session));
    lines.push_back(checkRecorderBackend(probes.session));
    printLines(context, lines);
    // Something to fix is a finding a script must not take for success.
    const bool printedFix =
        std::any_of(lines.begin(), lines.end(), [](const DoctorLine& line) { return !line.ok; });
    return deviceProblem || printedFix ? kExitDeviceError : kExitOk;
}

int runDoctorCommand(const CommandContext& context, const CommandArgs& args) {
    return runDoctor(context, args, DoctorProbes{});
}

}  // namespace halvern::cli
