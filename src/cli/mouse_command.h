#pragma once

#include "cli/command_context.h"
#include "cli/shared_commands.h"  // light, polling and key serve the mouse too

namespace halvern::cli {

// The mouse's own commands (those it shares with the keyboard are in shared_commands.h). Each opens the
// attached mouse as its page opens and takes the page's path: change the settings, save the profile, write
// the mouse's memory. They return kExitOk, kExitUsage with
// one line for a bad argument (before the mouse is touched where the argument alone decides), or
// kExitDeviceError with one line naming the result when the mouse refused or failed a write.

/// `show mouse`: reads the mouse's state as a page refresh does and prints its light settings, DPI stages
/// with their DPI values, polling-rate index, active stage and button codes (--json: one object).
[[nodiscard]] int runShowMouse(const CommandContext& context, const CommandArgs& args);

/// `dpi STAGE (--slider P | --dpi D) [--y-slider P | --y-dpi D] [--enable 0|1] [--color RRGGBB]
/// [--screen WxH]`: one DPI stage. A typed DPI becomes a slider position by the mouse's DPI scale; without
/// a Y value the stage has one value for both axes.
[[nodiscard]] int runDpiCommand(const CommandContext& context, const CommandArgs& args);

/// `dpi-active STAGE [--screen WxH]`: the active DPI stage (an enabled one).
[[nodiscard]] int runDpiActiveCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
