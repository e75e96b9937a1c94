#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `info mouse|keyboard|mousepad`: Begin, ReadInfo, End, as a device page does when it opens; prints the
/// 34 bytes and the fields the device models use.
[[nodiscard]] int runInfoCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
