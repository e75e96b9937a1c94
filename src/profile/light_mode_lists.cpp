#include "profile/light_mode_lists.h"

#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

/// "<group>"[kind] when it is an array, else nullptr.
const Json::Value* kindList(const Json::Value& document, std::string_view group, int kindId) {
    if (kindId < 0) return nullptr;
    const Json::Value& list = Element(Member(document, group), static_cast<Json::ArrayIndex>(kindId));
    return list.isArray() ? &list : nullptr;
}

std::vector<std::string> namesOf(const Json::Value& list) {
    std::vector<std::string> names;
    const Json::ArrayIndex count = ListLength(list);
    for (Json::ArrayIndex i = 0; i < count; ++i) names.push_back(ToText(Member(list[i], "LightName")));
    return names;
}

}  // namespace

void LoadLightModeLists(int kindId, const std::filesystem::path& defaultDataFolder,
                        const std::filesystem::path& lightConfigPath, LightModeLists& lists) {
    FillLightModeLists(kindId, ReadJsonFile(defaultDataFolder / "default_light.json"),
                       ReadJsonFile(lightConfigPath), lists);
}

void FillLightModeLists(int kindId, const Json::Value& defaults, const Json::Value& config,
                        LightModeLists& lists) {
    if (const Json::Value* modes = kindList(defaults, "DefaultLightName", kindId)) {
        lists.names = namesOf(*modes);
        lists.visible.clear();
        lists.values.clear();
        const Json::ArrayIndex count = ListLength(*modes);
        for (Json::ArrayIndex i = 0; i < count; ++i) {
            lists.visible.push_back(ToBool(Member((*modes)[i], "visible")));
            lists.values.push_back(static_cast<int32_t>(ToInt(Member((*modes)[i], "value"))));
        }
    }
    if (const Json::Value* areas = kindList(defaults, "AreaLightName", kindId))
        lists.areaNames = namesOf(*areas);

    if (const Json::Value* saved = kindList(config, "LightInfo", kindId)) lists.lightNames = namesOf(*saved);
}

}  // namespace halvern
