#include "sound/audio_style_set.h"

#include <string>
#include <string_view>

#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/text_utf8.h"

namespace halvern {

namespace {

constexpr const char* kInfoKey = "AudioLightInfo";
constexpr const char* kDeviceKey = "Device";
constexpr std::array<const char*, AudioStyleSet::kStyles> kNameKeys{"nStyleName1", "nStyleName2",
                                                                    "nStyleName3", "nStyleName4"};
constexpr std::array<const char*, 3 * AudioStyleSet::kStyles> kColourKeys{
    "nStyleR0", "nStyleG0", "nStyleB0", "nStyleR1", "nStyleG1", "nStyleB1",
    "nStyleR2", "nStyleG2", "nStyleB2", "nStyleR3", "nStyleG3", "nStyleB3"};

/// Names are shown in edits of 32 characters: a longer one from the file is cut there (at most 4 bytes a
/// character), never copied whole.
constexpr std::size_t kMaxNameBytes = 128;

uint8_t lowByte(const Json::Value& v) {
    return static_cast<uint8_t>(ToInt(v));
}

}  // namespace

bool IsDefaultStyleName(std::size_t style, std::string_view name) {
    return style < kDefaultStyleNames.size() && (name.empty() || name == kDefaultStyleNames[style]);
}

std::string DefaultStyleNameId(std::size_t style) {
    return "music_style_name_" + std::to_string(style + 1);
}

AudioStyleSet LoadAudioStyleSet(const Json::Value& device) {
    AudioStyleSet set;
    const Json::Value& info = Member(device, kInfoKey);
    if (!info.isObject()) return set;
    set.currentStyle = lowByte(Member(info, "nAudioStyle"));
    for (std::size_t i = 0; i < kNameKeys.size(); ++i)
        set.names[i] = std::string(Utf8Prefix(ToText(Member(info, kNameKeys[i])), kMaxNameBytes));
    for (std::size_t i = 0; i < kColourKeys.size(); ++i)
        set.colours[i] = lowByte(Member(info, kColourKeys[i]));
    return set;
}

void StoreAudioStyleSet(const AudioStyleSet& set, Json::Value& device) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = set.currentStyle;
    for (std::size_t i = 0; i < kNameKeys.size(); ++i) info[kNameKeys[i]] = set.names[i];
    for (std::size_t i = 0; i < kColourKeys.size(); ++i) info[kColourKeys[i]] = set.colours[i];
    if (!device.isObject()) device = Json::Value(Json::objectValue);
    device[kInfoKey] = info;
}

AudioFile::AudioFile(std::filesystem::path userCopy, std::filesystem::path defaultCopy)
    : m_userCopy(std::move(userCopy)), m_defaultCopy(std::move(defaultCopy)) {}

bool AudioFile::open() {
    const Json::Value user = ReadJsonFile(m_userCopy);
    if (user.isObject() && user[kDeviceKey].isObject()) {
        m_device = user[kDeviceKey];
        return true;
    }
    return reset();
}

bool AudioFile::save() {
    Json::Value document = ReadJsonFile(m_userCopy);
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    document[kDeviceKey] = m_device;
    return WriteJsonFile(m_userCopy, document);
}

bool AudioFile::reset() {
    const Json::Value shipped = ReadJsonFile(m_defaultCopy);
    if (!shipped.isObject() || !shipped[kDeviceKey].isObject()) return false;
    std::error_code error;
    std::filesystem::create_directories(m_userCopy.parent_path(), error);
    if (error || !WriteJsonFile(m_userCopy, shipped)) return false;
    m_device = shipped[kDeviceKey];
    return true;
}

}  // namespace halvern
