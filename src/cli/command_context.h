#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/attached_devices.h"
#include "device/hid_backend.h"

namespace halvern::cli {

class RunLocks;

/// What every halvernctl command gets: where devices come from, the output format and the two streams.
struct CommandContext {
    HidBackend& backend;
    bool json = false;
    std::ostream& out;
    std::ostream& err;
    /// The application's devices when it carries the command out; null when halvernctl opens them itself.
    AttachedDevices* attached = nullptr;
    /// The device locks of this run, taken as commands open devices; null takes none (commands run in
    /// one process against a private emulator).
    RunLocks* locks = nullptr;
};

using CommandArgs = std::vector<std::string>;

}  // namespace halvern::cli
