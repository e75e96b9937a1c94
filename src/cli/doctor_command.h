#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_context.h"
#include "device/access_diagnosis.h"

namespace halvern::cli {

/// One finding of `doctor`: printed as one line, with the fix when something is wrong.
struct DoctorLine {
    std::string topic;    ///< "device", "udev rules", "sound", "display"
    std::string subject;  ///< what was looked at: a node, a file, a server
    bool ok = true;
    std::string reason;
    std::string fix;  ///< empty when ok
};

/// What the session checks read, so tests can stage a session of their own.
struct SessionProbe {
    /// An environment variable; nothing when unset or empty. By default the process environment.
    std::function<std::optional<std::string>(const char* name)> env;
    std::filesystem::path x11SocketFolder = "/tmp/.X11-unix";
    std::filesystem::path inputFolder = "/dev/input";
};

/// The sound server the sound companion would capture from: PipeWire's PulseAudio layer or PulseAudio,
/// found by their sockets in the runtime folder (or PULSE_SERVER), and whether it answers.
[[nodiscard]] DoctorLine checkSoundServer(const SessionProbe& probe);

/// The display backend the macro recorder would use: evdev in a Wayland session (it needs read access to
/// the input devices), XRecord on an X11 display; neither without a display.
[[nodiscard]] DoctorLine checkRecorderBackend(const SessionProbe& probe);

/// What `doctor` looks at; the defaults are the real system.
struct DoctorProbes {
    SessionProbe session;
    std::function<AccessDiagnosis(std::string_view node)> diagnoseNode;
    std::vector<std::filesystem::path> rulesFolders = AccessProbeSettings{}.rulesFolders;
};

/// `doctor [--udev-rules]`: one line per supported device node that the backend lists (can this user
/// open it, and if not why and how to fix it), then the udev rules, the sound server and the recorder's
/// display backend. Exit 1 when a supported device cannot be opened. `--udev-rules` prints the rules file
/// instead.
[[nodiscard]] int runDoctor(const CommandContext& context, const CommandArgs& args,
                            const DoctorProbes& probes);

/// runDoctor on the real system.
[[nodiscard]] int runDoctorCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
