#include "profile/settings_file.h"

#include <system_error>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"

namespace halvern {

std::filesystem::path SettingsFile() {
    return GetConfigFolder() / kSettingsFileName;
}

bool ChangeSettingsFile(const std::filesystem::path& file,
                        const std::function<void(Json::Value& document)>& change) {
    std::error_code error;
    Json::Value document(Json::objectValue);
    // An empty file holds nothing to keep.
    if (std::filesystem::exists(file, error) && std::filesystem::file_size(file, error) != 0) {
        document = ReadJsonFile(file);
        if (!document.isObject()) {
            debugLog("settings: " + file.string() + " is not a JSON object, nothing is stored in it");
            return false;
        }
    }
    change(document);
    const std::filesystem::path folder = file.parent_path();
    if (!std::filesystem::is_directory(folder, error) &&
        !std::filesystem::create_directories(folder, error)) {
        debugLog("settings: cannot create " + folder.string() + ": " + error.message());
        return false;
    }
    return WriteJsonFile(file, document);
}

}  // namespace halvern
