#pragma once

#include <functional>
#include <optional>

#include "cli/command_checks.h"
#include "cli/command_context.h"
#include "cli/light_options.h"
#include "cli/page_session.h"
#include "cli/polling_rates.h"
#include "devices/keyboard_device.h"

namespace halvern::cli {

/// The keyboard opened the way the main window opens it: its page activated (device information, key
/// table and LED table read, the selected profile loaded), then refreshed as the page's first refresh
/// does (the keyboard's state read into the page and the profile).
using KeyboardSession = PageSession<CMerivexKeyboardDevice>;

/// How the keyboard numbers its light modes: 0-30, no saved effects.
inline constexpr LightModeRange kKeyboardModes{"keyboard", 30, false};
/// The keyboard offers the first four polling rates (125-1000 Hz).
inline constexpr PollingChoices kKeyboardPolling{"keyboard", 4};

/// Opens the attached keyboard (cable form first), activates and refreshes its page. Nothing, with one
/// line on `context.err`, when no keyboard is attached or it cannot be opened.
[[nodiscard]] std::optional<KeyboardSession> openKeyboard(const CommandContext& context);

/// Changes the settings the way the page does (onboard record written, then the profile saved). kExitOk,
/// or kExitDeviceError with one line naming the result when the keyboard refused them (the settings then
/// stay as they were, also in the profile).
[[nodiscard]] int changeKeyboardSettings(const CommandContext& context, CMerivexKeyboardDevice& device,
                                         const std::function<void(KeyboardSettings&)>& change);

}  // namespace halvern::cli
