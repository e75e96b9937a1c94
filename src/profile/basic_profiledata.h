#pragma once

#include <json/value.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "profile/json_file.h"
#include "profile/profile_records.h"
#include "profile/record_fields.h"

namespace halvern {

/// The profile of one device: a JSON document on disk and the working copy of its device record in
/// memory. Getters read groups of settings from the working record (a missing group gives defaults);
/// setters change only the working record, and `Save` writes it back into the profile file. The mouse pad
/// uses this class as it is; the other kinds add their own groups in subclasses.
///
/// Expected use: SetDefaultPath, SetDeviceIndex(0); when a profile becomes current SetProfilePath and
/// SetLightConfigPath, then LoadDeviceRecord, then the getters; after each edit a setter, then Save.
class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    /// The profile file; an empty path is ignored.
    void SetProfilePath(const std::filesystem::path& path);
    [[nodiscard]] const std::filesystem::path& GetProfilePath() const { return m_profilePath; }

    /// The shipped default profile of the device kind; an empty path is ignored.
    void SetDefaultPath(const std::filesystem::path& path);
    [[nodiscard]] const std::filesystem::path& GetDefaultPath() const { return m_defaultPath; }

    /// Which element of the document's "Device" array is this device's record (always 0 in practice).
    void SetDeviceIndex(int index);

    /// Reads the device record from the profile file at `path` into the working record (GetDeviceRecord).
    /// When the file has no usable record (missing, unparsable, or without the element) the record of the
    /// default profile is taken instead and written into the profile file at once. False when neither
    /// holds a usable record.
    ///
    /// `path` may be the shipped default itself (restoring the defaults): it is only read, never written,
    /// and when it holds no usable record the working record stays as it was, so the user's settings are
    /// not replaced by nothing, and the answer is false.
    [[nodiscard]] bool LoadDeviceRecord(const std::filesystem::path& path);

    /// Takes the device record from a document already in memory; nothing is read or written. The getters
    /// then read it as after LoadDeviceRecord. Returns false (and leaves the working record null) when the
    /// document has no usable record.
    bool UseDeviceRecord(const Json::Value& document);

    /// Writes the working record into the profile file. False when the write failed or was refused; the
    /// working record is kept, so a later Save can still succeed. Refused (with a debug line) when the
    /// profile was deleted from its folder's profile list (ProfileDeleted) or the profile path is the
    /// shipped default.
    [[nodiscard]] virtual bool Save();

    /// True when the profile file's folder has a profile list that no longer names this profile: nothing
    /// is written for it any more (see IsProfileInList).
    [[nodiscard]] bool ProfileDeleted() const;

    /// Replaces the device record inside the document at `path` (every other key of the document is kept)
    /// and writes the document back.
    [[nodiscard]] virtual bool WriteDeviceRecord(const Json::Value& record,
                                                 const std::filesystem::path& path);

    /// Writes a whole document unchanged.
    [[nodiscard]] virtual bool WriteDocument(const Json::Value& document, const std::filesystem::path& path);

    /// The working device record, as the getters see it.
    [[nodiscard]] const Json::Value& GetDeviceRecord() const { return m_deviceRecord; }

    LightSetting GetLightInfo();
    void SetLightInfo(const LightSetting& light);

    /// The colour-type flag always reads as 1, whatever the file holds.
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& info);

    /// One entry per element of "LightList"; a null element gives an all-zero entry with `enabled` 0.
    std::vector<LightSetting> GetLightList();

    /// The key list, each assignment unpacked from its integer form type × 65536 + code1 × 256 + code2.
    std::vector<KeyListEntry> GetKeyList();
    /// Writes the current assignments of the given keys; default assignments and further keys stay.
    void SetKeyList(const std::vector<KeyListEntry>& keys);

    void SetLightConfigPath(const std::filesystem::path& path) { m_lightConfigPath = path; }
    [[nodiscard]] const std::filesystem::path& GetLightConfigPath() const { return m_lightConfigPath; }

    /// Whether the profile file is no longer the version this object last read or wrote: another program
    /// (halvernctl) changed or removed it. False while the object holds no version of it.
    [[nodiscard]] bool FileChangedElsewhere() const;

    /// Where the device's own effects sit in the light configuration: "LightInfo"[kindId] (keyboard 0,
    /// mouse 1, mouse pad 2, headset 3), whose entry k is the effect of light mode builtInModes + k — the
    /// user's effects follow the kind's built-in modes, as the mode list and the mode's name do. Without it
    /// the element of the device index is taken and indexed by the mode itself.
    void SetLightModes(int kindId, size_t builtInModes);

    /// Reads the light configuration document (mode names and effect ids) into the object. A file that is
    /// not there means no effects of the user's (true); false when it is there but cannot be read as one.
    [[nodiscard]] bool LoadLightConfig(const std::filesystem::path& path);
    /// The same with a document already in memory.
    void UseLightConfig(Json::Value config) { m_lightConfig = std::move(config); }

    /// The frames of the software effect of the current light mode: the effect id comes from the light
    /// configuration and names a ".light" file in the configuration's folder. Empty when anything is missing.
    std::vector<EffectFrame> GetLightEffectFrames();

    /// The frames of an effect document (the contents of a ".light" file); missing values read as 0.
    [[nodiscard]] static std::vector<EffectFrame> EffectFramesOf(const Json::Value& effect);

protected:
    /// The group `key` of the working record when it is present and of the expected type, else nullptr.
    /// Looking up a missing group leaves it in the record as a null member, as the JSON library's lookup
    /// always did; a later Save writes that null member.
    const Json::Value* FindGroup(std::string_view key, Json::ValueType type);

    /// The group `key` of the working record for writing, made an object or array as `type` says.
    Json::Value& GroupRef(std::string_view key, Json::ValueType type);

    /// A record read from the object group `key`; all zeros when the group is missing.
    template <class Record, class T, size_t N>
    Record ReadGroup(std::string_view key, const std::array<FieldKey<Record, T>, N>& fields) {
        Record record{};
        if (const Json::Value* group = FindGroup(key, Json::objectValue)) ReadFields(*group, record, fields);
        return record;
    }

    /// Writes a record's members into the object group `key`.
    template <class Record, class T, size_t N>
    void WriteGroup(std::string_view key, const Record& record,
                    const std::array<FieldKey<Record, T>, N>& fields) {
        WriteFields(GroupRef(key, Json::objectValue), record, fields);
    }

    /// Reads the document at `path`: an empty object when the file is missing or does not hold an object.
    /// The document last read or written is kept, and handed out again (once) while the file is still that
    /// version, so a save does not parse again the file that the load or the previous save just handled.
    [[nodiscard]] Json::Value TakeDocument(const std::filesystem::path& path);

    /// Writes a document and keeps it as the known content of `path`.
    [[nodiscard]] bool StoreDocument(Json::Value document, const std::filesystem::path& path);

    /// Every write of this object goes through here: false (and a debug line) for the shipped default
    /// profile and for a profile file that its folder's profile list no longer names.
    [[nodiscard]] bool MayWrite(const std::filesystem::path& path) const;

    Json::Value m_deviceRecord;
    Json::ArrayIndex m_deviceIndex = 0;
    int m_lightKind = -1;       ///< kind whose effects are the device's (SetLightModes); -1: the device index
    size_t m_builtInModes = 0;  ///< light modes of the kind before the user's effects

private:
    struct CachedDocument {
        std::filesystem::path path;
        FileIdentity identity;
        Json::Value document;
    };

    std::optional<CachedDocument> m_cache;
    std::filesystem::path m_profilePath;
    std::filesystem::path m_defaultPath;
    LightSetting m_lightInfo;
    AudioLightInfo m_audioLightInfo;
    std::vector<LightSetting> m_lightList;
    std::filesystem::path m_lightConfigPath;
    std::vector<EffectFrame> m_effectFrames;
    Json::Value m_lightConfig;
    std::vector<KeyListEntry> m_keyList;
};

}  // namespace halvern
