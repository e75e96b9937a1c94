#pragma once

#include <cstdint>
#include <filesystem>

#include "profile/settings_file.h"

namespace halvern {

/// What closing the window does on a desktop without a system tray, as the user answered it once.
enum class CloseChoice : uint8_t {
    Ask,         ///< not answered yet
    Background,  ///< the window goes, the program keeps the lights and devices running
    Quit,        ///< the program ends
};

/// The stored answer (member "CloseWindow": "background" or "quit"); Ask when there is none, the file is
/// missing or unreadable, or the value is anything else.
[[nodiscard]] CloseChoice ReadCloseChoice(const std::filesystem::path& file);

/// Stores the answer (Ask removes it) as ChangeSettingsFile does.
[[nodiscard]] bool WriteCloseChoice(const std::filesystem::path& file, CloseChoice choice);

}  // namespace halvern
