#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/command_checks.h"
#include "cli/command_context.h"
#include "cli/light_options.h"
#include "cli/names.h"
#include "cli/page_session.h"
#include "cli/polling_rates.h"
#include "devices/keyboard_device.h"

namespace halvern::cli {

/// The keyboard opened the way the main window opens it: its page activated (device information, key
/// table, LED table and the onboard record read, the selected profile loaded and the record taken into it).
using KeyboardSession = PageSession<CMerivexKeyboardDevice>;

/// How the keyboard numbers its light modes: 0-30, no saved effects.
inline constexpr LightModeRange kKeyboardModes{"keyboard", 30, false};
/// The keyboard offers the first four polling rates (125-1000 Hz).
inline constexpr PollingChoices kKeyboardPolling{"keyboard", 4};

/// Whether keyboard key `j` (0-based) has a slot of its own in the key table. The keys without a factory
/// code of their own would all find the one slot of the first of them, so no command takes them.
[[nodiscard]] bool keyboardKeyHasSlot(size_t j);
/// The numbers of the keys with a slot, as people type them: "1-18, 22-104 or 106-126".
[[nodiscard]] std::string keyboardKeyRanges();
/// The key a KEY word names, as parseItemWord reads it, refused (nothing, with "key takes RANGES or a key's
/// name, not 'WORD'" in `problem`) when it has no slot.
[[nodiscard]] std::optional<size_t> parseKeyboardKey(std::string_view word, std::span<const NamedChoice> keys,
                                                     std::string& problem);

/// Opens the attached keyboard (cable form first), activates and refreshes its page. Nothing, with one
/// line on `context.err`, when no keyboard is attached or it cannot be opened.
[[nodiscard]] std::optional<KeyboardSession> openKeyboard(const CommandContext& context);

/// Changes the settings the way the page does (onboard record written, then the profile saved). kExitOk,
/// or kExitDeviceError with one line naming the result when the keyboard refused them (the settings then
/// stay as they were, also in the profile).
[[nodiscard]] int changeKeyboardSettings(const CommandContext& context, CMerivexKeyboardDevice& device,
                                         const std::function<void(KeyboardSettings&)>& change);

}  // namespace halvern::cli
