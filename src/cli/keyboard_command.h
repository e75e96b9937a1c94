#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

// The keyboard's own commands (light, polling, key, macro and write-macros take "--device keyboard").
// Each opens the attached keyboard as its page opens and takes the page's path: change the settings,
// write the onboard record, save the profile. They return kExitOk, kExitUsage with one line for a bad
// argument (before the keyboard is touched where the argument alone decides), or kExitDeviceError with
// one line naming the result when the keyboard refused or failed a write.

/// `show keyboard`: reads the keyboard's state as a page refresh does and prints its light settings,
/// flags, polling rate, repeat settings, custom colour group and the keys it has with their codes and LED
/// positions (--json: one object, also with each key's custom colour).
[[nodiscard]] int runShowKeyboard(const CommandContext& context, const CommandArgs& args);

/// `flags [--win-lock 0|1] [--w 0|1] [--key6 0|1]`: the Windows-key lock, W flag and 6-key flag
/// (onboard record bytes 22, 20 and 21). Without options: prints them as the keyboard holds them
/// ("flags: win-lock 1, w 0, key6 1", or JSON {"winLock", "wFlag", "key6"}).
[[nodiscard]] int runFlagsCommand(const CommandContext& context, const CommandArgs& args);

/// `repeat [--rate 0-31] [--delay 0-3]`: the key repeat rate and delay. They live in the profile only.
/// Without options: prints them ("repeat: rate 5, delay 1", or JSON {"repeatRate", "repeatDelay"}).
[[nodiscard]] int runRepeatCommand(const CommandContext& context, const CommandArgs& args);

/// `custom-color (--all RRGGBB | --key KEY RRGGBB | --off)`: the per-key colours of the custom colour
/// mode (20) in the current custom group, as the page's colour buttons set them. A keyboard in another
/// mode is switched to mode 20 first (said on the output), as the page does. Through the receiver the
/// keyboard takes no custom colours: exit 1 before anything is changed.
[[nodiscard]] int runCustomColorCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
