#pragma once

#include <json/json.h>

#include <functional>
#include <optional>

#include "cli/command_checks.h"
#include "cli/command_context.h"
#include "cli/light_options.h"
#include "cli/option_words.h"
#include "cli/page_session.h"
#include "cli/polling_rates.h"
#include "devices/mouse_device.h"

namespace halvern::cli {

/// The mouse opened the way the main window opens it, with its page activated: device information and
/// key table read, the selected profile loaded, the mouse's state read.
using MouseSession = PageSession<CMerivexMouseDevice>;

/// How the mouse numbers its light modes: its own 0-11, then the user's saved effects.
inline constexpr LightModeRange kMouseModes{"mouse", 11, true};
/// The mouse offers all five polling rates.
inline constexpr PollingChoices kMousePolling{"mouse", 5};

/// Opens the attached mouse (cable form first) and activates its page. Nothing, with one line on
/// `context.err`, when no mouse is attached or it cannot be opened.
[[nodiscard]] std::optional<MouseSession> openMouse(const CommandContext& context);

/// Changes the settings the way the page does (profile saved, onboard record written with the screen
/// size). kExitOk, or kExitDeviceError with one line naming the result when the mouse refused them (the
/// settings then stay as they were, also in the profile).
[[nodiscard]] int changeMouseSettings(const CommandContext& context, CMerivexMouseDevice& device,
                                      const std::function<void(MouseSettings&)>& change,
                                      const ScreenSize& screen);

/// One line of a DPI stage: "stage N: on|off[, active], D DPI (slider P)[ or X ... Y ...], colour RRGGBB".
[[nodiscard]] std::string stageLine(const DpiStage& stage, size_t index, int activeStage,
                                    const DpiScale& scale);
/// A DPI stage as --json prints it: stage (1-6), enabled, separateXY, sliderX, dpiX, sliderY, dpiY, color.
[[nodiscard]] Json::Value stageJson(const DpiStage& stage, size_t index, const DpiScale& scale);

}  // namespace halvern::cli
