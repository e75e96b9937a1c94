#pragma once

#include <memory>

#include "desktop/desktop_session.h"
#include "desktop/pointer_settings.h"

namespace halvern::ui {

/// The session the window runs in: the display from Qt's platform ("xcb", "wayland"), the desktop from
/// XDG_CURRENT_DESKTOP.
[[nodiscard]] desktop::DesktopSession CurrentDesktopSession();

/// Pointer settings for `session`: under X11 the mouse's libinput properties, under Wayland none (no client
/// may change one device's pointer speed there), and the desktop's settings through its own programs.
[[nodiscard]] std::unique_ptr<desktop::PointerSettings> MakePointerSettings(
    const desktop::DesktopSession& session);

}  // namespace halvern::ui
