#pragma once

#include "cli/command_context.h"
#include "input/macro_store.h"

namespace halvern::cli {

/// `macro record POSITION [--timing record|ignore|constant:MS] [--append | --before ROW | --after ROW |
/// --replace ROW] --seconds N`: records the keys and mouse buttons of the X display for N seconds into
/// the macro, as the macro editor records, and saves it. Other programs do not get the keys meanwhile
/// when the keyboard can be grabbed.
[[nodiscard]] int recordMacro(const CommandContext& context, std::string_view device, MacroStore& store,
                              const CommandArgs& words);

}  // namespace halvern::cli
