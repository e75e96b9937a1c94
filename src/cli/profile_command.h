#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

/// `profile KIND VERB [WORD]`: the profile files change as the window's profile control changes them; when
/// the device is attached and its profile became another one (select, add, copy, delete, import) or was
/// reset, the device is opened first and then takes the profile as the window switches to it (settings,
/// keys and macros written), so that `show` reports what the device holds.
[[nodiscard]] int runProfileCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
