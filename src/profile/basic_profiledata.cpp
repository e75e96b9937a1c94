#include "profile/basic_profiledata.h"

#include <algorithm>
#include <utility>

#include "device/debug_sink.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/profile_list.h"
#include "profile/record_fields.h"

namespace halvern {
namespace {

constexpr std::string_view kDevice = "Device";
constexpr std::string_view kLightInfo = "LightInfo";
constexpr std::string_view kAudioLightInfo = "AudioLightInfo";
constexpr std::string_view kLightList = "LightList";
constexpr std::string_view kKeyList = "KeyList";

/// Devices per document the program addresses; the index is always 0, anything else is a caller's bug.
constexpr int kMaxDeviceIndex = 15;

KeyAssignment unpackAssignment(int64_t packed, uint16_t keyIndex) {
    return {keyIndex, static_cast<uint8_t>((packed >> 16) & 0xFF), static_cast<uint8_t>((packed >> 8) & 0xFF),
            static_cast<uint8_t>(packed & 0xFF)};
}

Json::Int64 packAssignment(const KeyAssignment& a) {
    return a.type * 65536 + a.code1 * 256 + a.code2;
}

/// A device record worth keeping: the file's record when it is an object.
bool usableRecord(const Json::Value& record) {
    return record.isObject();
}

/// Whether two paths name the same file, also when it does not exist (yet) or one goes through a link.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    if (!error) return same;  // both exist
    error.clear();
    const std::filesystem::path ca = std::filesystem::weakly_canonical(a, error);
    if (error) return a.lexically_normal() == b.lexically_normal();
    const std::filesystem::path cb = std::filesystem::weakly_canonical(b, error);
    if (error) return a.lexically_normal() == b.lexically_normal();
    return ca == cb;
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) m_profilePath = path;
}

void CBasicProfiledata::SetDefaultPath(const std::filesystem::path& path) {
    if (!path.empty()) m_defaultPath = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    m_deviceIndex = static_cast<Json::ArrayIndex>(std::clamp(index, 0, kMaxDeviceIndex));
}

Json::Value CBasicProfiledata::TakeDocument(const std::filesystem::path& path) {
    std::optional<CachedDocument> cache = std::exchange(m_cache, std::nullopt);
    const std::optional<FileIdentity> identity = IdentifyFile(path);
    if (cache && identity && cache->path == path && cache->identity == *identity)
        return std::move(cache->document);
    Json::Value document = ReadJsonFile(path);
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    return document;
}

bool CBasicProfiledata::MayWrite(const std::filesystem::path& path) const {
    if (sameFile(path, m_defaultPath)) {
        debugLog("profile: the shipped default " + path.string() + " is never written");
        return false;
    }
    if (!IsProfileInList(path)) {
        debugLog("profile: " + path.filename().string() + " was deleted from the profile list, not written");
        return false;
    }
    return true;
}

bool CBasicProfiledata::FileChangedElsewhere() const {
    if (!m_cache || m_cache->path != m_profilePath) return false;
    const std::optional<FileIdentity> now = IdentifyFile(m_profilePath);
    return !now || !(*now == m_cache->identity);
}

bool CBasicProfiledata::ProfileDeleted() const {
    return !m_profilePath.empty() && !IsProfileInList(m_profilePath);
}

bool CBasicProfiledata::StoreDocument(Json::Value document, const std::filesystem::path& path) {
    if (!MayWrite(path)) return false;
    FileIdentity written;
    if (!WriteJsonFile(path, document, &written)) return false;
    m_cache = CachedDocument{path, written, std::move(document)};
    return true;
}

bool CBasicProfiledata::LoadDeviceRecord(const std::filesystem::path& path) {
    // The identity is taken before the read: should the file change in between, the next save sees a
    // different identity and reads the file again.
    const std::optional<FileIdentity> identity = IdentifyFile(path);
    m_cache.reset();
    Json::Value document = TakeDocument(path);
    Json::Value record = Element(Member(document, kDevice), m_deviceIndex);
    if (sameFile(path, m_defaultPath)) {
        // Restoring the defaults: the shipped file is only read. Without a usable record there is nothing
        // to restore, and the working record is kept rather than replaced by nothing.
        if (!usableRecord(record)) {
            debugLog("profile: the shipped default " + path.string() + " holds no device record");
            return false;
        }
        m_deviceRecord = std::move(record);
        return true;
    }
    m_deviceRecord = std::move(record);
    if (!usableRecord(m_deviceRecord)) {
        // The profile has no record of ours: start from the shipped default and store it at once.
        m_deviceRecord = Element(Member(ReadJsonFile(m_defaultPath), kDevice), m_deviceIndex);
        ElementRef(MemberRef(document, kDevice), m_deviceIndex) = m_deviceRecord;
        (void)StoreDocument(std::move(document), path);  // a failed write is retried by the next Save
    } else if (identity) {
        m_cache = CachedDocument{path, *identity, std::move(document)};
    }
    return usableRecord(m_deviceRecord);
}

bool CBasicProfiledata::UseDeviceRecord(const Json::Value& document) {
    m_cache.reset();
    m_deviceRecord = Element(Member(document, kDevice), m_deviceIndex);
    if (usableRecord(m_deviceRecord)) return true;
    m_deviceRecord = Json::Value();
    return false;
}

bool CBasicProfiledata::Save() {
    if (m_profilePath.empty()) return false;
    return WriteDeviceRecord(m_deviceRecord, m_profilePath);
}

bool CBasicProfiledata::WriteDeviceRecord(const Json::Value& record, const std::filesystem::path& path) {
    Json::Value document = TakeDocument(path);
    ElementRef(MemberRef(document, kDevice), m_deviceIndex) = record;
    return StoreDocument(std::move(document), path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document, const std::filesystem::path& path) {
    m_cache.reset();
    return MayWrite(path) && WriteJsonFile(path, document);
}

const Json::Value* CBasicProfiledata::FindGroup(std::string_view key, Json::ValueType type) {
    if (!m_deviceRecord.isObject()) return nullptr;
    const Json::Value& group = MemberRef(m_deviceRecord, key);
    return group.type() == type ? &group : nullptr;
}

Json::Value& CBasicProfiledata::GroupRef(std::string_view key, Json::ValueType type) {
    Json::Value& group = MemberRef(m_deviceRecord, key);
    if (group.type() != type) group = Json::Value(type);
    return group;
}

LightSetting CBasicProfiledata::GetLightInfo() {
    return m_lightInfo = ReadGroup(kLightInfo, kLightInfoFields);
}

void CBasicProfiledata::SetLightInfo(const LightSetting& light) {
    m_lightInfo = light;
    WriteGroup(kLightInfo, light, kLightInfoFields);
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    m_audioLightInfo = ReadGroup(kAudioLightInfo, kAudioLightFields);
    if (FindGroup(kAudioLightInfo, Json::objectValue)) {
        m_audioLightInfo.colorTypeFlag = 1;  // whatever the file holds
    }
    return m_audioLightInfo;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
    m_audioLightInfo = info;
    WriteGroup(kAudioLightInfo, info, kAudioLightFields);
}

std::vector<LightSetting> CBasicProfiledata::GetLightList() {
    m_lightList.clear();
    if (const Json::Value* group = FindGroup(kLightList, Json::arrayValue)) {
        const Json::ArrayIndex count = ListLength(*group);
        for (Json::ArrayIndex i = 0; i < count; ++i) {
            LightSetting entry;
            const Json::Value& element = (*group)[i];
            if (!element.isNull()) {
                ReadFields(element, entry, kLightListFields);
                entry.enabled = 1;
            }
            m_lightList.push_back(entry);
        }
    }
    return m_lightList;
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    m_keyList.clear();
    if (const Json::Value* group = FindGroup(kKeyList, Json::arrayValue)) {
        const Json::ArrayIndex count = ListLength(*group);
        for (Json::ArrayIndex i = 0; i < count; ++i) {
            const auto key = static_cast<uint16_t>(i);
            const Json::Value& element = (*group)[i];
            m_keyList.push_back({unpackAssignment(ToInt(Member(element, "Assignment")), key),
                                 unpackAssignment(ToInt(Member(element, "DefaultAssignment")), key)});
        }
    }
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& keys) {
    m_keyList = keys;
    Json::Value& group = GroupRef(kKeyList, Json::arrayValue);
    const size_t count = std::min<size_t>(keys.size(), kMaxJsonListLength);
    for (size_t i = 0; i < count; ++i) {
        const auto index = static_cast<Json::ArrayIndex>(i);
        MemberRef(ElementRef(group, index), "Assignment") = packAssignment(keys[i].current);
    }
}

bool CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    m_lightConfig = ReadJsonFile(path);
    std::error_code error;
    return !m_lightConfig.isNull() || !std::filesystem::exists(path, error);
}

void CBasicProfiledata::SetLightModes(int kindId, size_t builtInModes) {
    m_lightKind = std::clamp(kindId, -1, kMaxDeviceIndex);
    m_builtInModes = builtInModes;
}

std::vector<EffectFrame> CBasicProfiledata::GetLightEffectFrames() {
    m_effectFrames.clear();
    if (m_lightConfig.isNull()) return m_effectFrames;
    const size_t mode = m_lightInfo.mode;
    if (mode < m_builtInModes) return m_effectFrames;  // a built-in mode: the device's own effect
    const Json::ArrayIndex kind =
        m_lightKind >= 0 ? static_cast<Json::ArrayIndex>(m_lightKind) : m_deviceIndex;
    const Json::Value& modes = Element(Member(m_lightConfig, "LightInfo"), kind);
    const auto entry = static_cast<Json::ArrayIndex>(mode - m_builtInModes);
    const std::string effectId = ToText(Member(Element(modes, entry), "Guid"));
    if (!IsSafeFileStem(effectId + ".light")) return m_effectFrames;

    m_effectFrames = EffectFramesOf(ReadJsonFile(m_lightConfigPath.parent_path() / (effectId + ".light")));
    return m_effectFrames;
}

std::vector<EffectFrame> CBasicProfiledata::EffectFramesOf(const Json::Value& effect) {
    std::vector<EffectFrame> frames;
    const Json::Value& list = Member(effect, "LEDEffectList");
    const Json::ArrayIndex count = ListLength(list);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        EffectFrame frame;
        ReadFields(list[i], frame.light, kEffectFrameLightFields);
        ReadFields(list[i], frame, kEffectFrameTimeFields);
        frames.push_back(frame);
    }
    return frames;
}

}  // namespace halvern
