#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `macro [--device mouse|keyboard] list|add|rename|delete|import|export ...`: the device's macro list in
/// the user's data folder (the mouse when one is attached and no device is named, else the keyboard).
/// list, add, rename, import and export change only the files, as the macro editor does; delete needs the
/// device: assignments of the deleted macro go back to the key's default, later macro numbers move up
/// one, and when any assignment changed the key table and macros are written to the device. `--json`
/// gives the list as an array.
[[nodiscard]] int runMacroCommand(const CommandContext& context, const CommandArgs& args);

/// `write-macros [--device mouse|keyboard]`: the macros the device's keys use, written to its macro
/// memory. When they do not fit, nothing is written and the message says how many events to remove.
[[nodiscard]] int runWriteMacrosCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
