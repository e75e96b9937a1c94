#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `list`: one line per claimed device slot: slot index, type code, role, VID:PID, interface, collection,
/// path. Exit 0 (also when nothing is attached), 1 when the devices cannot be listed.
[[nodiscard]] int runListCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
