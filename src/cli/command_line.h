#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/attached_devices.h"
#include "cli/global_options.h"
#include "device/hid_backend.h"

namespace halvern::cli {

/// Where a command line runs: halvernctl alone opens the devices (real, or emulated with --emulate); the
/// running application carries the same commands out on the devices its window shows.
struct CommandHost {
    HidBackend* backend = nullptr;        ///< the application's devices; null: made from the options
    AttachedDevices* attached = nullptr;  ///< the application's device objects; null: opened by the command
};

/// Carries out one halvernctl command line (the words after the program name) and returns its exit code.
/// Every command's output and exit code come from here, wherever it runs.
[[nodiscard]] int runCommandLine(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                                 const CommandHost& host = {});

/// The names of the commands this program carries out (each has its entry in the command table).
[[nodiscard]] std::vector<std::string_view> runnableCommands();

/// Whether a command line with these options is one the running application carries out: a device
/// command without --emulate (whose devices are halvernctl's own). Help, the version, update checks (the
/// network, and the identity the system lists) and recording a macro (the user's own input into a file)
/// run in halvernctl itself.
[[nodiscard]] bool runsInApplication(const GlobalOptions& options);

}  // namespace halvern::cli
