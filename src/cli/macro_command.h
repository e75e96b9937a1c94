#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `macro list|add|rename|delete|import|export ...`: the mouse's macro list in the user's data folder.
/// list, add, rename, import and export change only the files, as the macro editor does; delete needs the
/// mouse: assignments of the deleted macro go back to the button's default, later macro numbers move up
/// one, and when any assignment changed the key table and macros are written to the mouse. `--json`
/// gives the list as an array.
[[nodiscard]] int runMacroCommand(const CommandContext& context, const CommandArgs& args);

/// `write-macros`: the macros the mouse's buttons use, written to the mouse's macro memory. When they do
/// not fit, nothing is written and the message says how many events to remove.
[[nodiscard]] int runWriteMacrosCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
