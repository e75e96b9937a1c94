#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `language [INDEX]`: without an index, the languages on offer, one a line with its index, the chosen one
/// marked with "*"; with one, makes that language the one the window starts in. Exit 0, or 2 for an index
/// that is not on the list, 1 when the choice cannot be stored.
[[nodiscard]] int runLanguageCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
