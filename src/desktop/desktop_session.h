#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::desktop {

/// The display system the window runs on.
enum class DisplayKind : uint8_t {
    None,     ///< no display a pointer setting can reach (offscreen, unknown platform)
    X11,      ///< an X server (XWayland counts as Wayland: its input devices are not the mouse's)
    Wayland,  ///< a Wayland compositor
};

/// The desktops whose own settings Halvern can change.
enum class DesktopKind : uint8_t { Unknown, Gnome, Kde };

/// The session the window runs in.
struct DesktopSession {
    DisplayKind display = DisplayKind::None;
    DesktopKind desktop = DesktopKind::Unknown;
};

/// The desktop that XDG_CURRENT_DESKTOP names ("ubuntu:GNOME", "KDE"); Unknown when it names none we know.
[[nodiscard]] DesktopKind DesktopFromXdgCurrentDesktop(std::string_view value);

/// The name users know the desktop by ("GNOME", "KDE Plasma").
[[nodiscard]] std::string_view DesktopName(DesktopKind desktop);

/// Runs the desktop's settings programs; the application gives a real one, tests a fake.
class ProgramRunner {
public:
    ProgramRunner() = default;
    virtual ~ProgramRunner() = default;
    ProgramRunner(const ProgramRunner&) = delete;
    ProgramRunner& operator=(const ProgramRunner&) = delete;

    /// Whether `program` is installed (found on PATH).
    [[nodiscard]] virtual bool installed(const std::string& program) const = 0;
    /// Runs `program` with `arguments` (no shell) and waits a bounded time; what it printed when it ended
    /// with 0, nothing otherwise.
    [[nodiscard]] virtual std::optional<std::string> run(const std::string& program,
                                                         const std::vector<std::string>& arguments) = 0;
};

}  // namespace halvern::desktop
