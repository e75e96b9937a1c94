#include "update/update_settings.h"

#include <json/json.h>

#include <charconv>
#include <cstdlib>
#include <ctime>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "update/http_client.h"

namespace halvern {

std::string NormaliseServerAddress(std::string_view address) {
    if (address.empty()) return {};
    std::string full(address);
    if (full.find("://") == std::string::npos) full = "https://" + full;
    if (!IsWebAddress(full)) return {};
    return full;
}

std::string GetUpdateServerAddress() {
    std::string address;
    if (const char* env = std::getenv("HALVERN_UPDATE_URL")) {
        address = env;
    } else {
        address = ToText(Member(ReadJsonFile(GetConfigFolder() / kSettingsFileName), "UpdateServer"));
    }
    std::string normal = NormaliseServerAddress(address);
    if (normal.empty() && !address.empty())
        debugLog("settings: UpdateServer is not an http or https address, no update check is made");
    return normal;
}

std::string_view ApplicationVersionText() {
    return HALVERN_VERSION;
}

int VersionNumberOf(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c != '.') digits.push_back(c);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 0) return 0;
    return value;
}

std::filesystem::path LastCheckFile() {
    return GetAppDataFolder() / "updatetime.config";
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return {};
    return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
           std::to_string(local.tm_mday);
}

std::string ReadOrStartLastCheckDate(const std::filesystem::path& file) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& value = Member(Member(document, "updatelasttime"), "value");
    if (value.isString() && !value.asString().empty()) return value.asString();
    std::string today = TodayText();
    if (!WriteLastCheckDate(file, today)) debugLog("update check: cannot write " + file.string());
    return today;
}

bool WriteLastCheckDate(const std::filesystem::path& file, const std::string& date) {
    Json::Value document(Json::objectValue);
    document["updatelasttime"]["value"] = date;
    return WriteJsonFile(file, document);
}

}  // namespace halvern
