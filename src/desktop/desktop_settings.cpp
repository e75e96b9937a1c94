#include "desktop/desktop_settings.h"

#include <algorithm>
#include <array>
#include <optional>

namespace halvern::desktop {
namespace {

/// One desktop setting: the program pairs that write and read it (the first pair whose writer is installed
/// runs) and their arguments, "{}" standing for the value; an empty argument ends a list.
struct SettingCommand {
    DesktopKind desktop;
    PointerSetting setting;
    std::array<std::array<std::string_view, 2>, 2> programs;  ///< {writer, reader}
    std::array<std::string_view, 8> write;
    std::array<std::string_view, 8> read;
    int lowest;  ///< the value is clamped to what the desktop takes
    int highest;
};

constexpr std::array<std::array<std::string_view, 2>, 2> kGnomePrograms{
    {{"gsettings", "gsettings"}, {"", ""}}};
constexpr std::array<std::array<std::string_view, 2>, 2> kKdePrograms{
    {{"kwriteconfig6", "kreadconfig6"}, {"kwriteconfig5", "kreadconfig5"}}};

constexpr std::array<SettingCommand, 3> kCommands{{
    {DesktopKind::Gnome,
     PointerSetting::DoubleClick,
     kGnomePrograms,
     {"set", "org.gnome.desktop.peripherals.mouse", "double-click", "{}"},
     {"get", "org.gnome.desktop.peripherals.mouse", "double-click"},
     100,
     2000},
    {DesktopKind::Kde,
     PointerSetting::DoubleClick,
     kKdePrograms,
     {"--file", "kdeglobals", "--group", "KDE", "--key", "DoubleClickInterval", "{}"},
     {"--file", "kdeglobals", "--group", "KDE", "--key", "DoubleClickInterval"},
     100,
     2000},
    {DesktopKind::Kde,
     PointerSetting::WheelLines,
     kKdePrograms,
     {"--file", "kdeglobals", "--group", "KDE", "--key", "WheelScrollLines", "{}"},
     {"--file", "kdeglobals", "--group", "KDE", "--key", "WheelScrollLines"},
     1,
     100},
}};

/// KDE programs read kdeglobals again when KGlobalSettings says the mouse settings changed
/// (change type 3 "settings", category 0 "mouse").
constexpr std::array<std::string_view, 6> kKdeNotify{
    "--session", "--type=signal", "/KGlobalSettings", "org.kde.KGlobalSettings.notifyChange",
    "int32:3",   "int32:0"};

const SettingCommand* commandFor(DesktopKind desktop, PointerSetting setting) {
    const auto* found = std::find_if(kCommands.begin(), kCommands.end(), [&](const SettingCommand& c) {
        return c.desktop == desktop && c.setting == setting;
    });
    return found == kCommands.end() ? nullptr : found;
}

/// The writer and reader that run for `command`: the first pair whose writer is installed.
const std::array<std::string_view, 2>* installedPrograms(const SettingCommand& command,
                                                         const ProgramRunner& runner) {
    for (const auto& pair : command.programs) {
        if (!pair[0].empty() && runner.installed(std::string(pair[0]))) return &pair;
    }
    return nullptr;
}

std::vector<std::string> argumentsOf(const std::array<std::string_view, 8>& list, const std::string& value) {
    std::vector<std::string> arguments;
    for (std::string_view a : list) {
        if (a.empty()) break;
        arguments.emplace_back(a == "{}" ? std::string_view(value) : a);
    }
    return arguments;
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

DesktopPointerSettings::DesktopPointerSettings(DesktopKind desktop, std::unique_ptr<ProgramRunner> runner)
    : m_desktop(desktop), m_runner(std::move(runner)) {}

Availability DesktopPointerSettings::availability(PointerSetting setting, UsbIds) const {
    if (m_desktop == DesktopKind::Unknown) return {"pointer_reason_desktop", {}};
    const SettingCommand* command = commandFor(m_desktop, setting);
    if (!command) return {"pointer_reason_no_setting", std::string(DesktopName(m_desktop))};
    if (!m_runner || !installedPrograms(*command, *m_runner))
        return {"pointer_reason_program", std::string(command->programs[0][0])};
    return {};
}

// Written, then read back: a settings program may end well without the desktop having stored anything
// (gsettings without a session bus keeps the value in memory only).
bool DesktopPointerSettings::apply(PointerSetting setting, int value, UsbIds) {
    const SettingCommand* command = commandFor(m_desktop, setting);
    const auto* programs = command && m_runner ? installedPrograms(*command, *m_runner) : nullptr;
    if (!programs) return false;
    const std::string wanted = std::to_string(std::clamp(value, command->lowest, command->highest));
    if (!m_runner->run(std::string((*programs)[0]), argumentsOf(command->write, wanted))) return false;
    const std::optional<std::string> stored =
        m_runner->run(std::string((*programs)[1]), argumentsOf(command->read, wanted));
    if (!stored || trimmed(*stored) != wanted) return false;
    if (m_desktop == DesktopKind::Kde && m_runner->installed("dbus-send")) {
        // Best effort: the setting is stored either way, and programs started later read it.
        (void)m_runner->run("dbus-send", std::vector<std::string>(kKdeNotify.begin(), kKdeNotify.end()));
    }
    return true;
}

}  // namespace halvern::desktop
