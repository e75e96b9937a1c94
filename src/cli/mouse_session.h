#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "cli/command_context.h"
#include "cli/device_session.h"
#include "cli/option_words.h"
#include "devices/mouse_device.h"

namespace halvern::cli {

/// The mouse opened the way the main window opens it, with its page activated: device information and
/// key table read, the selected profile loaded, the mouse's state read.
struct MouseSession {
    std::unique_ptr<CMerivexMouseDevice> device;
    FoundDevice found;

    /// False when the mouse did not answer while its page opened (no information block, no key table).
    [[nodiscard]] bool answered() const { return !device->factoryTable().empty(); }
};

/// Opens the attached mouse (cable form first) and activates its page. Nothing, with one line on
/// `context.err`, when no mouse is attached or it cannot be opened.
[[nodiscard]] std::optional<MouseSession> openMouse(const CommandContext& context);

/// Changes the settings the way the page does (profile saved, onboard record written with the screen
/// size). kExitOk, or kExitDeviceError with one line naming the result when the mouse refused them (the
/// settings then stay as they were, also in the profile).
[[nodiscard]] int changeMouseSettings(const CommandContext& context, CMerivexMouseDevice& device,
                                      const std::function<void(MouseSettings&)>& change,
                                      const ScreenSize& screen);

/// Reports a WriteMacros result: 0 nothing; a positive number is the count of events to remove; -1 the
/// write failed. The exit code.
[[nodiscard]] int reportMacroWrite(const CommandContext& context, int result);

/// One line of a DPI stage: "stage N: on|off[, active], D DPI (slider P)[ or X ... Y ...], colour RRGGBB".
[[nodiscard]] std::string stageLine(const DpiStage& stage, size_t index, int activeStage,
                                    const DpiScale& scale);

/// One usage line "halvernctl COMMAND: PROBLEM; usage: USAGE" on `err`; returns kExitUsage.
int usageError(const CommandContext& context, std::string_view command, std::string_view problem,
               std::string_view usage);

}  // namespace halvern::cli
