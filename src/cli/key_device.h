#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/command_context.h"

namespace halvern::cli {

/// The devices whose keys, macros, lights and polling rate the shared commands change.
enum class KeyDevice : uint8_t { Mouse, Keyboard };

/// "mouse" or "keyboard": the kind name, also the word in messages.
[[nodiscard]] std::string_view deviceWord(KeyDevice device);

/// A shared command's device and the words left for it.
struct KeyDeviceChoice {
    KeyDevice device = KeyDevice::Mouse;
    CommandArgs args;
};

/// The kinds a shared command's "--device" takes, as its messages name them.
inline constexpr std::array<std::string_view, 2> kKeyDeviceKinds{"mouse", "keyboard"};

/// Takes "--device mouse|keyboard" (or "--device=...") out of a command's words. Without it: the mouse
/// when one is attached, else the keyboard when one is, else the mouse (whose command then says that none
/// is attached). Nothing, with one usage line for `command`, when the option has no value or another one;
/// the line names `kinds`, every kind the command's --device takes (the command handles the others first).
[[nodiscard]] std::optional<KeyDeviceChoice> chooseKeyDevice(
    const CommandContext& context, const CommandArgs& args, std::string_view command,
    std::span<const std::string_view> kinds = kKeyDeviceKinds);

/// Whether one scan finds the command interface of `kind` ("mouse", "keyboard", "mousepad", "headset"),
/// on its cable or through its receiver.
[[nodiscard]] bool kindAttached(HidBackend& backend, std::string_view kind);

/// Why the lights of `kind` cannot be changed: "no mouse pad is attached", or "the mouse pad's lights are not
/// supported yet" for an attached kind without light settings.
[[nodiscard]] std::string lightsUnavailable(HidBackend& backend, std::string_view kind);

/// Runs the device's variant of a shared command with the words left after the device choice.
using DeviceHandler = int (*)(const CommandContext&, const CommandArgs&);
[[nodiscard]] int runOnKeyDevice(const CommandContext& context, const CommandArgs& args,
                                 std::string_view command, DeviceHandler mouse, DeviceHandler keyboard,
                                 std::span<const std::string_view> kinds = kKeyDeviceKinds);

}  // namespace halvern::cli
