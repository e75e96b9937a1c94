#pragma once

#include <memory>
#include <optional>

#include "cli/command_context.h"
#include "cli/device_session.h"
#include "devices/light_record_device.h"

namespace halvern::cli {

/// The headset opened as its page opens, with its sound library (the emulated one for an emulated
/// headset) started.
struct HeadsetSession {
    std::unique_ptr<CMerivexHS6533Device> owned;  ///< empty when the application lent its own
    CMerivexHS6533Device* device = nullptr;
    FoundDevice found;
    DeviceResult activation;  ///< reading the information block while the page opened
};

/// Opens the attached headset and activates its page. `streaming` false keeps the headset's lights from
/// being driven while the command runs (a command that sends frames itself). Nothing, with one line on
/// `context.err`, when no headset is attached or, with `needsSound`, its sound settings cannot be reached.
[[nodiscard]] std::optional<HeadsetSession> openHeadset(const CommandContext& context, bool needsSound,
                                                        bool streaming = true);

/// Whether `verb` is one of runHeadsetEqCommand's.
[[nodiscard]] bool isHeadsetEqVerb(std::string_view verb);
/// `headset eq|band|custom-eq|frame`; `words` starts with the verb.
[[nodiscard]] int runHeadsetEqCommand(const CommandContext& context, const CommandArgs& words);
/// `info headset`.
[[nodiscard]] int runHeadsetInfo(const CommandContext& context);

}  // namespace halvern::cli
