#include "profile/language_choice.h"

#include <json/json.h>

#include <algorithm>
#include <array>

#include "profile/data_folders.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

std::filesystem::path LanguageListFile() {
    return GetDefaultDataFolder() / "Language.config";
}

std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& file) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& list = Member(document, "Language");
    std::vector<LanguageEntry> languages;
    if (!list.isArray()) return languages;
    for (const Json::Value& item : list) {
        LanguageEntry entry;
        entry.name = ToText(Member(item, "Language_name"));
        entry.file = ToText(Member(item, "Language_file"));
        entry.textId = ToText(Member(item, "Language_text"));
        const Json::Value& id = Member(item, "Language_ID");
        entry.id = id.isIntegral() ? id.asInt64() : 0;
        if (!isPlainFileName(entry.file)) entry.file.clear();
        languages.push_back(std::move(entry));
    }
    return languages;
}

int FindStoredLanguage(std::span<const LanguageEntry> languages, std::optional<int64_t> stored) {
    const int64_t number = stored.value_or(kUnsetLanguageNumber);
    const auto found = std::find_if(languages.begin(), languages.end(),
                                    [number](const LanguageEntry& e) { return e.id == number; });
    return found == languages.end() ? 0 : static_cast<int>(found - languages.begin());
}

std::filesystem::path LanguageChoiceFile() {
    return GetConfigFolder() / "language.json";
}

std::optional<int64_t> ReadLanguageNumber(const std::filesystem::path& file) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& value = Member(document, "LANGUAGE");
    if (!value.isIntegral()) return std::nullopt;
    return value.asInt64();
}

bool WriteLanguageNumber(const std::filesystem::path& file, int64_t number) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) return false;
    Json::Value document(Json::objectValue);
    document["LANGUAGE"] = static_cast<Json::Int64>(number);
    return WriteJsonFile(file, document);
}

bool LanguageChangeRebuildsFonts(int current, int next) {
    static constexpr std::array<int, 3> kOwnFonts{0, 2, 15};
    const auto needsOwn = [](int index) {
        return std::find(kOwnFonts.begin(), kOwnFonts.end(), index) != kOwnFonts.end();
    };
    return current == -1 || needsOwn(current) || needsOwn(next);
}

}  // namespace halvern
