#pragma once

#include <json/value.h>

#include <filesystem>
#include <functional>

namespace halvern {

/// The user's settings file, "settings.json" in the configuration folder.
[[nodiscard]] std::filesystem::path SettingsFile();

/// Changes the settings file's document with `change`, keeping every member it does not touch, and creates
/// the file and its folder when missing. A file that is there but is not a JSON object is the user's and is
/// left alone: false, as when the file cannot be written.
[[nodiscard]] bool ChangeSettingsFile(const std::filesystem::path& file,
                                      const std::function<void(Json::Value& document)>& change);

}  // namespace halvern
