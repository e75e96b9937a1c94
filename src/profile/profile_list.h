#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// Whether a profile file may be written: false when the folder's profile list no longer names it (the
/// profile was deleted, by this program or another), so a late save never brings a deleted profile's file
/// back as an orphan. A folder without a readable list, or with an empty one, manages no profiles: its
/// files may be written.
[[nodiscard]] bool IsProfileInList(const std::filesystem::path& profileFile);

/// One profile as the list shows it.
struct ProfileEntry {
    std::string name;
    std::string id;  ///< names the profile file: the id followed by ".Json"
};

/// The named profiles of one device: the list file "ProfileList.ini" of the device data folder (a JSON
/// document, despite its name), the profile files it names, and which profile is selected. This is the
/// file side of the profile-management control; the control shows `GetEntries()` in its drop-down list.
///
/// Every operation reads the list file again before changing it (the file is the authority) and changes
/// the entries in memory only after its writes succeeded. Operations that return bool return false when
/// they were refused or a write failed; nothing in memory has changed then.
class ProfileList {
public:
    static constexpr size_t kMaxProfiles = 50;  ///< AddProfile refuses beyond this
    static constexpr std::string_view kListFileName = "ProfileList.ini";
    static constexpr int kHeadsetTypeCode = 7;

    /// The device's type code; the headset's custom equalisers survive a reset.
    void SetDeviceType(int typeCode) { m_typeCode = typeCode; }
    /// The device data folder and the shipped default profile of the device kind.
    void SetPaths(const std::filesystem::path& folder, const std::filesystem::path& defaultProfile);

    /// Reads the list (creating a one-profile list "profile1" when it is missing, unreadable or empty) and
    /// selects the stored profile; a stored selection outside the list selects the first profile.
    void Init();

    /// The entries of a list document (as Init reads them from the list file).
    [[nodiscard]] static std::vector<ProfileEntry> EntriesOf(const Json::Value& list);

    [[nodiscard]] const std::vector<ProfileEntry>& GetEntries() const { return m_entries; }
    /// The selected index, or -1 when nothing is selected.
    [[nodiscard]] int GetSelectedIndex() const { return m_selected; }
    [[nodiscard]] const std::string& GetCurrentProfileId() const { return m_currentId; }
    /// The file of a profile id, or an empty path when the id is not a safe file name.
    [[nodiscard]] std::filesystem::path ProfilePath(std::string_view id) const;
    [[nodiscard]] std::filesystem::path ListPath() const { return m_folder / kListFileName; }

    /// Selects a profile and stores the choice; its id becomes the current profile id.
    [[nodiscard]] bool SelectProfile(int index);

    /// Appends "profileN" (the first free N) with an empty profile file and stores it as the profile to
    /// select at the next start; the selection in memory stays. Refused at kMaxProfiles entries.
    [[nodiscard]] bool AddProfile();
    /// Appends "<name> copy" holding every setting of the selected profile.
    [[nodiscard]] bool CopyProfile();
    /// Removes the selected profile and its file. Refused for the last profile. The stored selection
    /// becomes the previous entry; the selection in memory moves to the entry now at the removed position
    /// (or the last one), which the caller then switches to with SelectProfile(GetSelectedIndex()).
    [[nodiscard]] bool DeleteProfile();
    /// 1 renamed; 2 refused, the name is blank; 3 refused by the name rule otherwise (CheckName: a control
    /// character or too long); 0 refused, another profile has that name (or none is selected, or a write
    /// failed).
    [[nodiscard]] int RenameProfile(std::string_view newName);
    /// Replaces the selected profile's settings with the shipped defaults, keeping its name and id (and, on
    /// the headset, its custom equalisers).
    [[nodiscard]] bool ResetProfile();
    /// Writes the selected profile's document to `path`. Refused when the profile file is unusable.
    [[nodiscard]] bool ExportProfile(const std::filesystem::path& path);
    /// Adds the profile in `path`, named after the file (with "(N)" suffixes while taken). Refused unless
    /// the file holds an object with "profilename" and "profileUUID".
    [[nodiscard]] bool ImportProfile(const std::filesystem::path& path);

private:
    /// The list document, rebuilt from the entries in memory when the file no longer matches them.
    [[nodiscard]] Json::Value readList() const;
    [[nodiscard]] bool writeList(const Json::Value& list) const;
    /// A time id that no entry and no file of the folder uses yet.
    [[nodiscard]] std::string newProfileId() const;
    /// Appends an entry and its list element (the stored selection is changed only when `select`).
    [[nodiscard]] bool appendProfile(const std::string& name, const std::string& id, bool select);
    /// Writes `document` as the profile file of `id`, with its name and id set.
    [[nodiscard]] bool writeProfileFile(Json::Value document, const std::string& name,
                                        const std::string& id) const;
    [[nodiscard]] Json::Value readProfileFile(std::string_view id) const;
    [[nodiscard]] bool hasSelection() const;

    int m_typeCode = 0;
    std::filesystem::path m_folder;
    std::filesystem::path m_defaultProfile;
    std::vector<ProfileEntry> m_entries;
    int m_selected = -1;
    std::string m_currentId;
};

}  // namespace halvern
