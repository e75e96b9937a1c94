#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// The program the desktop starts, by the name it is installed under (as the installed .desktop file names
/// it: found on the PATH).
inline constexpr std::string_view kInstalledProgramName = "halvern";

/// The user's autostart entry of the application, "$XDG_CONFIG_HOME/autostart/org.halvern.Halvern.desktop"
/// (by default in "~/.config/autostart"). A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
[[nodiscard]] std::filesystem::path AutostartEntryPath();

/// The text of the entry: when the desktop session starts, it starts `program` with --background.
[[nodiscard]] std::string AutostartEntryText(std::string_view program);

/// Whether the entry at `path` makes the desktop start the program: the file is there and does not turn
/// itself off (Hidden=true, or X-GNOME-Autostart-enabled=false, which the desktop's own autostart settings
/// write). An unreadable or missing file is no entry.
[[nodiscard]] bool AutostartEntryEnabled(const std::filesystem::path& path);

/// What writing or removing the entry gave: empty on success, else the reason it failed (the system's
/// words, for the one message that says so).
struct AutostartChange {
    std::string error;
    [[nodiscard]] bool ok() const { return error.empty(); }
};

/// Writes the entry for `program` at `path`, creating its folder: atomically, so the desktop reads the old
/// file or the new one, never part of one. On failure an existing file stays as it was.
[[nodiscard]] AutostartChange WriteAutostartEntry(const std::filesystem::path& path,
                                                  std::string_view program);

/// Removes the entry at `path`; a missing one is removed already.
[[nodiscard]] AutostartChange RemoveAutostartEntry(const std::filesystem::path& path);

}  // namespace halvern
