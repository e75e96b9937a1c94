#include "desktop/desktop_session.h"

#include <array>

namespace halvern::desktop {
namespace {

struct DesktopToken {
    std::string_view token;  ///< one entry of XDG_CURRENT_DESKTOP
    DesktopKind desktop;
};

constexpr std::array<DesktopToken, 2> kDesktopTokens{{
    {"GNOME", DesktopKind::Gnome},
    {"KDE", DesktopKind::Kde},
}};

}  // namespace

DesktopKind DesktopFromXdgCurrentDesktop(std::string_view value) {
    while (!value.empty()) {
        const std::size_t end = value.find(':');
        const std::string_view entry = value.substr(0, end);
        for (const DesktopToken& t : kDesktopTokens) {
            if (entry == t.token) return t.desktop;
        }
        if (end == std::string_view::npos) break;
        value.remove_prefix(end + 1);
    }
    return DesktopKind::Unknown;
}

std::string_view DesktopName(DesktopKind desktop) {
    switch (desktop) {
        case DesktopKind::Gnome:
            return "GNOME";
        case DesktopKind::Kde:
            return "KDE Plasma";
        case DesktopKind::Unknown:
            break;
    }
    return {};
}

}  // namespace halvern::desktop
