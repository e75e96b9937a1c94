#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `show KIND`: the state of the attached device of that kind, read as its page reads it. Each kind that
/// can be shown has a row in the command's table. kExitUsage for a kind without one.
[[nodiscard]] int runShowCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
