#include "profile/color_options.h"

#include <algorithm>

#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr std::string_view kRoot = "coloroptioninfo";
constexpr std::string_view kPresets = "palletDialogcoloroption";
constexpr std::string_view kPresetSelected = "palletDialogcoloroption_selectitem";
constexpr std::string_view kCollected = "palletDialogcollectcoloroption";
constexpr std::string_view kCollectedSelected = "palletDialogcollectcoloroption_selectitem";
constexpr std::string_view kColor = "color";
constexpr std::string_view kUserData = "UserData";

int clampSwatch(const Json::Value& value) {
    return static_cast<int>(std::clamp<int64_t>(ToInt(value), 0, ColorOptions::kSwatches - 1));
}

}  // namespace

std::string FormatArgbHex(uint32_t argb) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<size_t>(i)] = kDigits[argb & 0xF];
        argb >>= 4;
    }
    return text;
}

uint32_t ParseArgbHex(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    if (text.empty() || text.size() > 8) return 0;
    uint32_t value = 0;
    for (char c : text) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return 0;
        }
        value = (value << 4) | digit;
    }
    return value;
}

ColorOptionFile::ColorOptionFile(std::filesystem::path appDataFolder, std::filesystem::path defaultDataFolder)
    : m_appDataFolder(std::move(appDataFolder)), m_defaultDataFolder(std::move(defaultDataFolder)) {}

Json::Value ColorOptionFile::readDocument() {
    Json::Value document = ReadJsonFile(UserPath());
    if (document.isNull()) {
        document = ReadJsonFile(m_defaultDataFolder / kFileName);
        if (!document.isNull()) (void)WriteJsonFile(UserPath(), document);  // retried at the next opening
    }
    return document;
}

ColorOptions ColorOptionFile::Load() {
    const Json::Value root = Member(readDocument(), kRoot);
    ColorOptions options;
    const Json::Value& presets = Member(root, kPresets);
    const Json::Value& collected = Member(root, kCollected);
    for (Json::ArrayIndex i = 0; i < ColorOptions::kSwatches; ++i) {
        options.presets[i] = ParseArgbHex(ToText(Member(Element(presets, i), kColor)));
        const Json::Value& slot = Element(collected, i);
        options.collected[i] = ParseArgbHex(ToText(Member(slot, kColor)));
        options.collectedUsed[i] = ToText(Member(slot, kUserData)) == "1";
    }
    options.presetSelected = clampSwatch(Member(root, kPresetSelected));
    options.collectedSelected = clampSwatch(Member(root, kCollectedSelected));
    return options;
}

bool ColorOptionFile::SavePresets(const ColorOptions& options) {
    Json::Value document = readDocument();
    Json::Value& root = MemberRef(document, kRoot);
    Json::Value list(Json::arrayValue);
    for (uint32_t color : options.presets) {
        Json::Value swatch(Json::objectValue);
        swatch[std::string(kColor)] = FormatArgbHex(color);
        list.append(std::move(swatch));
    }
    MemberRef(root, kPresets) = std::move(list);
    MemberRef(root, kPresetSelected) = options.presetSelected;
    return WriteJsonFile(UserPath(), document);
}

bool ColorOptionFile::SaveCollected(const ColorOptions& options) {
    Json::Value document = readDocument();
    Json::Value& root = MemberRef(document, kRoot);
    Json::Value list(Json::arrayValue);
    for (size_t i = 0; i < ColorOptions::kSwatches; ++i) {
        Json::Value slot(Json::objectValue);
        slot[std::string(kColor)] = FormatArgbHex(options.collected[i]);
        slot[std::string(kUserData)] = options.collectedUsed[i] ? "1" : "0";
        list.append(std::move(slot));
    }
    MemberRef(root, kCollected) = std::move(list);
    MemberRef(root, kCollectedSelected) = options.collectedSelected;
    return WriteJsonFile(UserPath(), document);
}

}  // namespace halvern
