#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `update-check [--server URL] [--json]`: asks the update server about the attached devices and this
/// program, one line per entry (name, installed version, offered version, state). The server is the
/// option's, else the configured one. Exit 0 when the check ran, 1 when no server was configured or
/// reached, 2 for a usage error.
[[nodiscard]] int runUpdateCheckCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
