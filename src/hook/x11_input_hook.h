#pragma once

#include <memory>
#include <string>

#include "input/input_hook.h"

namespace halvern {

/// The input hook of an X11 session (XWayland included), through the RECORD extension: it sees the
/// devices' events of every client. Its keyboard grab takes the keys from every other client, our own
/// windows included; the pointer is never grabbed, so clicks still reach their windows.
///
/// Null when the display (`display`, or $DISPLAY when empty) cannot be opened or has no RECORD extension.
[[nodiscard]] std::unique_ptr<InputHook> MakeX11InputHook(const std::string& display = {});

}  // namespace halvern
