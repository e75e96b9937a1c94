#pragma once

#include "cli/command_context.h"

namespace halvern::cli {

// The commands the mouse and the keyboard both take. Each takes "--device mouse|keyboard" among its
// words; without it the mouse is meant when one is attached, else the keyboard. Exit codes as the device
// commands: kExitOk, kExitUsage with one line, kExitDeviceError with one line naming the result.

/// `light --mode M [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1] [--color RRGGBB]`,
/// on the mouse also [--screen WxH], on the keyboard also [--zzcc 0-3] [--group 0-4]: the light settings;
/// options not given keep their values.
[[nodiscard]] int runLightCommand(const CommandContext& context, const CommandArgs& args);
/// `headset mic|monitor|voice`: the headset's microphone, monitor and voice effect.
[[nodiscard]] int runHeadsetCommand(const CommandContext& context, const CommandArgs& args);

/// `polling RATE`: the polling rate in Hz or by its place in the list, 1-5 on the mouse (which also takes
/// --screen WxH), 1-4 on the keyboard.
[[nodiscard]] int runPollingCommand(const CommandContext& context, const CommandArgs& args);

/// `key KEY TTAABB`: one button's (mouse, 1-11) or key's (keyboard, the keys with a slot of 1-126)
/// assignment, type and two code bytes; then the key table (and the macros, for a macro assignment) written
/// to the device.
[[nodiscard]] int runKeyCommand(const CommandContext& context, const CommandArgs& args);

/// `same-mode --from KIND [--screen WxH]`: every attached device takes the light effect of KIND's device
/// (breathing, static, blink, spectrum or off, with its brightness, speed, direction, multicolour flag and
/// colour), mapped onto its own modes, saved in its profile and written as its settings record; keyboards
/// first, then mice. Exit 1 with one line when KIND's mode has no shared effect (nothing is written).
[[nodiscard]] int runSameModeCommand(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
