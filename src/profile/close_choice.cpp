#include "profile/close_choice.h"

#include <string_view>

#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/settings_file.h"

namespace halvern {
namespace {

constexpr std::string_view kKey = "CloseWindow";
constexpr std::string_view kBackground = "background";
constexpr std::string_view kQuit = "quit";

}  // namespace

CloseChoice ReadCloseChoice(const std::filesystem::path& file) {
    const std::string value = ToText(Member(ReadJsonFile(file), kKey));
    if (value == kBackground) return CloseChoice::Background;
    if (value == kQuit) return CloseChoice::Quit;
    return CloseChoice::Ask;
}

bool WriteCloseChoice(const std::filesystem::path& file, CloseChoice choice) {
    return ChangeSettingsFile(file, [choice](Json::Value& document) {
        if (choice == CloseChoice::Ask) {
            document.removeMember(std::string(kKey));
        } else {
            MemberRef(document, kKey) = std::string(choice == CloseChoice::Background ? kBackground : kQuit);
        }
    });
}

}  // namespace halvern
