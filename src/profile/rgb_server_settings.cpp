#include "profile/rgb_server_settings.h"

#include <string_view>

#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/settings_file.h"

namespace halvern {
namespace {

constexpr std::string_view kKey = "RgbServer";

}  // namespace

RgbServerSettings ReadRgbServerSettings(const std::filesystem::path& file) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& member = Member(document, kKey);
    RgbServerSettings settings;
    settings.enabled = Member(member, "Enabled").isBool() && Member(member, "Enabled").asBool();
    if (const Json::Value& port = Member(member, "Port"); port.isIntegral()) {
        const int64_t value = ToInt(port);
        if (value >= 1 && value <= 65535) settings.port = static_cast<uint16_t>(value);
    }
    if (std::string address = ToText(Member(member, "Address")); !address.empty())
        settings.address = std::move(address);
    return settings;
}

bool WriteRgbServerSettings(const std::filesystem::path& file, const RgbServerSettings& settings) {
    return ChangeSettingsFile(file, [&settings](Json::Value& document) {
        Json::Value& member = MemberRef(document, kKey);
        if (!member.isObject()) member = Json::Value(Json::objectValue);
        MemberRef(member, "Enabled") = settings.enabled;
        MemberRef(member, "Port") = settings.port;
        if (settings.address != RgbServerSettings{}.address) {
            MemberRef(member, "Address") = settings.address;
        } else {
            member.removeMember("Address");
        }
    });
}

}  // namespace halvern
