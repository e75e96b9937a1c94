#pragma once

#include "desktop/desktop_session.h"
#include "desktop/pointer_settings.h"

namespace halvern::desktop {

/// Wheel lines and double-click time through the desktop's own settings, where the desktop has them:
/// GNOME's gsettings, KDE Plasma's kdeglobals through kwriteconfig (running programs are told through
/// KGlobalSettings' change signal). Everything else says why it cannot take effect.
class DesktopPointerSettings final : public PointerTarget {
public:
    DesktopPointerSettings(DesktopKind desktop, std::unique_ptr<ProgramRunner> runner);

    [[nodiscard]] Availability availability(PointerSetting setting, UsbIds ids) const override;
    [[nodiscard]] bool apply(PointerSetting setting, int value, UsbIds ids) override;

private:
    DesktopKind m_desktop;
    std::unique_ptr<ProgramRunner> m_runner;
};

}  // namespace halvern::desktop
