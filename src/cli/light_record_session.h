#pragma once

#include <optional>
#include <string_view>

#include "cli/command_context.h"
#include "cli/light_options.h"
#include "cli/page_session.h"
#include "devices/light_record_device.h"

namespace halvern::cli {

/// The mouse pad or the headset opened the way the main window opens its page, with the page activated
/// and the device's record read.
using LightRecordSession = PageSession<CMerivexLightRecordDevice>;

/// How the mouse pad and the headset number their light modes: their own 0-8, then the user's saved
/// effects.
[[nodiscard]] LightModeRange lightRecordModes(std::string_view kind);

/// Opens the attached mouse pad ("mousepad") or headset ("headset") and activates its page. Nothing, with
/// one line on `context.err`, when none is attached or it cannot be opened.
[[nodiscard]] std::optional<LightRecordSession> openLightRecordDevice(const CommandContext& context,
                                                                      std::string_view kind);

/// `show mousepad|headset`.
[[nodiscard]] int runShowMousePad(const CommandContext& context, const CommandArgs& args);
[[nodiscard]] int runShowHeadset(const CommandContext& context, const CommandArgs& args);

}  // namespace halvern::cli
