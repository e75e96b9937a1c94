#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `recoil show GUN [SHOT] | set GUN SHOT --x N --y N --delay MS | reset GUN | import GUN FILE |
/// export GUN FILE`: the mouse's four recoil patterns in the user's data folder, changed the way the
/// recoil editor changes them. GUN is 1-4, SHOT 1-30 as the window numbers them; a negative x pulls to
/// the left, a negative y upwards. Patterns that are missing are restored from the shipped copies first.
/// The mouse takes the patterns with `write-macros`.
[[nodiscard]] int runRecoilCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
