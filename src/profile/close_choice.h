#pragma once

#include <cstdint>
#include <filesystem>

namespace halvern {

/// What closing the window does on a desktop without a system tray, as the user answered it once.
enum class CloseChoice : uint8_t {
    Ask,         ///< not answered yet
    Background,  ///< the window goes, the program keeps the lights and devices running
    Quit,        ///< the program ends
};

/// The user's settings file, "settings.json" in the configuration folder.
[[nodiscard]] std::filesystem::path SettingsFile();

/// The stored answer (member "CloseWindow": "background" or "quit"); Ask when there is none, the file is
/// missing or unreadable, or the value is anything else.
[[nodiscard]] CloseChoice ReadCloseChoice(const std::filesystem::path& file);

/// Stores the answer (Ask removes it), keeping every other member of the file, and creates the file and its
/// folder when missing. A file that is there but is not a JSON object is the user's and is left alone:
/// false, as when the file cannot be written.
[[nodiscard]] bool WriteCloseChoice(const std::filesystem::path& file, CloseChoice choice);

}  // namespace halvern
