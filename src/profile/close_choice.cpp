#include "profile/close_choice.h"

#include <string_view>
#include <system_error>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr std::string_view kKey = "CloseWindow";
constexpr std::string_view kBackground = "background";
constexpr std::string_view kQuit = "quit";

}  // namespace

std::filesystem::path SettingsFile() {
    return GetConfigFolder() / kSettingsFileName;
}

CloseChoice ReadCloseChoice(const std::filesystem::path& file) {
    const std::string value = ToText(Member(ReadJsonFile(file), kKey));
    if (value == kBackground) return CloseChoice::Background;
    if (value == kQuit) return CloseChoice::Quit;
    return CloseChoice::Ask;
}

bool WriteCloseChoice(const std::filesystem::path& file, CloseChoice choice) {
    std::error_code error;
    Json::Value document(Json::objectValue);
    // An empty file holds nothing to keep.
    if (std::filesystem::exists(file, error) && std::filesystem::file_size(file, error) != 0) {
        document = ReadJsonFile(file);
        if (!document.isObject()) {
            debugLog("settings: " + file.string() + " is not a JSON object, the close choice is not stored");
            return false;
        }
    }
    if (choice == CloseChoice::Ask) {
        document.removeMember(std::string(kKey));
    } else {
        MemberRef(document, kKey) = std::string(choice == CloseChoice::Background ? kBackground : kQuit);
    }
    const std::filesystem::path folder = file.parent_path();
    if (!std::filesystem::is_directory(folder, error) &&
        !std::filesystem::create_directories(folder, error)) {
        debugLog("settings: cannot create " + folder.string() + ": " + error.message());
        return false;
    }
    return WriteJsonFile(file, document);
}

}  // namespace halvern
