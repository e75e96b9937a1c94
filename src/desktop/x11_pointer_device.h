#pragma once

#include "desktop/pointer_settings.h"

namespace halvern::desktop {

/// Pointer speed and acceleration of one mouse under X11: the libinput properties ("libinput Accel
/// Speed", "libinput Accel Profile Enabled") of the X input devices whose "Device Product ID" is the mouse's
/// USB ids. Other pointers keep their own. Each call opens its own connection to the display, so it never
/// shares one with the toolkit or the input hook.
class X11PointerDevice final : public PointerTarget {
public:
    /// `display`: the X display name; empty means $DISPLAY.
    explicit X11PointerDevice(std::string display = {});

    /// Available when at least one X input device of the mouse is driven by libinput; otherwise the reason
    /// (no display, no XInput 2, the mouse not among the X server's devices, or not driven by libinput).
    [[nodiscard]] Availability availability(PointerSetting setting, UsbIds ids) const override;
    /// Sets the property on every matching device and reads it back; true when each took it.
    [[nodiscard]] bool apply(PointerSetting setting, int value, UsbIds ids) override;

private:
    std::string m_display;
};

}  // namespace halvern::desktop
