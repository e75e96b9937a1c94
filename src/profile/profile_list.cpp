#include "profile/profile_list.h"

#include <system_error>

#include "device/debug_sink.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/name_rule.h"
#include "profile/profile_naming.h"
#include "profile/text_utf8.h"

namespace halvern {
namespace {

constexpr std::string_view kProfileList = "profilelist";
constexpr std::string_view kProfileSelect = "profileselect";
constexpr std::string_view kName = "profilename";
constexpr std::string_view kId = "profileUUID";

Json::Value listElement(const ProfileEntry& entry) {
    Json::Value element(Json::objectValue);
    element[std::string(kName)] = entry.name;
    element[std::string(kId)] = entry.id;
    element["profileislink"] = 0;
    element["profilelinkmame"] = "";
    return element;
}

ProfileEntry entryOf(const Json::Value& element) {
    return {ToText(Member(element, kName)), ToText(Member(element, kId))};
}

}  // namespace

bool IsProfileInList(const std::filesystem::path& profileFile) {
    const Json::Value list = ReadJsonFile(profileFile.parent_path() / ProfileList::kListFileName);
    const Json::Value& elements = Member(list, kProfileList);
    const Json::ArrayIndex count = ListLength(elements);
    if (count == 0) return true;
    const std::string fileName = profileFile.filename().string();
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        if (ToText(Member(elements[i], kId)) + ".Json" == fileName) return true;
    }
    return false;
}

void ProfileList::SetPaths(const std::filesystem::path& folder, const std::filesystem::path& defaultProfile) {
    m_folder = folder;
    m_defaultProfile = defaultProfile;
}

std::filesystem::path ProfileList::ProfilePath(std::string_view id) const {
    const std::string fileName = std::string(id) + ".Json";
    if (!IsSafeFileStem(id) || !IsSafeFileStem(fileName)) return {};
    return m_folder / fileName;
}

bool ProfileList::hasSelection() const {
    return m_selected >= 0 && static_cast<size_t>(m_selected) < m_entries.size();
}

Json::Value ProfileList::readList() const {
    Json::Value list = ReadJsonFile(ListPath());
    const Json::Value& elements = Member(list, kProfileList);
    if (elements.isArray() && elements.size() == m_entries.size()) return list;
    // The file went missing or was changed behind our back: our entries are what the user sees.
    debugLog("ProfileList: list file does not match the entries, rewriting it");
    Json::Value rebuilt(Json::objectValue);
    Json::Value& rebuiltElements = rebuilt[std::string(kProfileList)] = Json::Value(Json::arrayValue);
    for (const ProfileEntry& entry : m_entries) rebuiltElements.append(listElement(entry));
    rebuilt[std::string(kProfileSelect)] = std::max(m_selected, 0);
    return rebuilt;
}

bool ProfileList::writeList(const Json::Value& list) const {
    return WriteJsonFile(ListPath(), list);
}

Json::Value ProfileList::readProfileFile(std::string_view id) const {
    const std::filesystem::path path = ProfilePath(id);
    return path.empty() ? Json::Value() : ReadJsonFile(path);
}

bool ProfileList::writeProfileFile(Json::Value document, const std::string& name,
                                   const std::string& id) const {
    const std::filesystem::path path = ProfilePath(id);
    if (path.empty()) return false;
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    document[std::string(kName)] = name;
    document[std::string(kId)] = id;
    return WriteJsonFile(path, document);
}

std::string ProfileList::newProfileId() const {
    // A profile's id names its file: never one in use.
    auto taken = [this](const std::string& id) {
        for (const ProfileEntry& entry : m_entries) {
            if (entry.id == id) return true;
        }
        std::error_code error;
        return std::filesystem::exists(ProfilePath(id), error);
    };
    return MakeUniqueTimeId(taken);
}

std::vector<ProfileEntry> ProfileList::EntriesOf(const Json::Value& list) {
    std::vector<ProfileEntry> entries;
    const Json::Value& elements = Member(list, kProfileList);
    const Json::ArrayIndex count = ListLength(elements);
    for (Json::ArrayIndex i = 0; i < count; ++i) entries.push_back(entryOf(elements[i]));
    return entries;
}

void ProfileList::Init() {
    m_entries.clear();
    m_selected = -1;
    m_currentId.clear();

    Json::Value list = ReadJsonFile(ListPath());
    const Json::Value& elements = Member(list, kProfileList);
    if (ListLength(elements) == 0) {
        const ProfileEntry first{"profile1", newProfileId()};
        list = Json::Value(Json::objectValue);
        list[std::string(kProfileList)].append(listElement(first));
        list[std::string(kProfileSelect)] = 0;
        if (!writeList(list)) debugLog("ProfileList: cannot write the new list");
        if (!writeProfileFile(readProfileFile(first.id), first.name, first.id)) {
            debugLog("ProfileList: cannot write the new profile file");
        }
        m_entries.push_back(first);
    } else {
        m_entries = EntriesOf(list);
    }

    const int64_t stored = ToInt(Member(list, kProfileSelect));
    const bool inRange = stored >= 0 && static_cast<uint64_t>(stored) < m_entries.size();
    if (!SelectProfile(inRange ? static_cast<int>(stored) : 0)) {
        // The choice could not be stored; keep it in memory all the same.
        m_selected = inRange ? static_cast<int>(stored) : 0;
        m_currentId = m_entries[static_cast<size_t>(m_selected)].id;
    }
}

bool ProfileList::SelectProfile(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return false;
    Json::Value list = readList();
    const std::string id =
        ToText(Member(Element(Member(list, kProfileList), static_cast<Json::ArrayIndex>(index)), kId));
    // The choice stored already is not written again: a file rewritten for nothing wakes whoever watches it.
    const Json::Value& stored = Member(list, kProfileSelect);
    const bool unchanged = stored.isIntegral() && stored.asLargestInt() == index;
    list[std::string(kProfileSelect)] = index;
    if (!unchanged && !writeList(list)) return false;
    m_selected = index;
    m_currentId = id;
    return true;
}

bool ProfileList::appendProfile(const std::string& name, const std::string& id, bool select) {
    Json::Value list = readList();
    const ProfileEntry entry{name, id};
    MemberRef(list, kProfileList).append(listElement(entry));
    if (select) list[std::string(kProfileSelect)] = static_cast<Json::Int>(m_entries.size());
    if (!writeList(list)) return false;
    m_entries.push_back(entry);
    return true;
}

namespace {

std::vector<std::string> namesOf(const std::vector<ProfileEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const ProfileEntry& entry : entries) names.push_back(entry.name);
    return names;
}

}  // namespace

bool ProfileList::AddProfile() {
    if (m_entries.size() >= kMaxProfiles) return false;
    const std::string name = NewProfileName(namesOf(m_entries));
    const std::string id = newProfileId();
    if (!appendProfile(name, id, true)) return false;
    return writeProfileFile(readProfileFile(id), name, id);
}

bool ProfileList::CopyProfile() {
    if (!hasSelection()) return false;
    const ProfileEntry& source = m_entries[static_cast<size_t>(m_selected)];
    const std::string name = CopyProfileName(namesOf(m_entries), source.name);
    const std::string id = newProfileId();
    const Json::Value document = readProfileFile(source.id);
    if (!appendProfile(name, id, false)) return false;
    return writeProfileFile(document, name, id);
}

bool ProfileList::DeleteProfile() {
    if (!hasSelection() || m_entries.size() <= 1) return false;
    const auto removed = static_cast<size_t>(m_selected);
    Json::Value list = readList();
    Json::Value dropped;
    MemberRef(list, kProfileList).removeIndex(static_cast<Json::ArrayIndex>(removed), &dropped);
    list[std::string(kProfileSelect)] = removed == 0 ? 0 : static_cast<Json::Int>(removed - 1);
    if (!writeList(list)) return false;

    const std::filesystem::path file = ProfilePath(m_entries[removed].id);
    std::error_code error;
    if (!file.empty()) std::filesystem::remove(file, error);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(removed));
    // Like a drop-down list losing its selected entry: the entry that took its place, or the new last.
    m_selected = static_cast<int>(std::min(removed, m_entries.size() - 1));
    return true;
}

int ProfileList::RenameProfile(std::string_view newName) {
    if (const NameProblem problem = CheckName(newName); problem != NameProblem::None)
        return problem == NameProblem::Blank ? 2 : 3;
    if (!hasSelection()) return 0;
    if (ContainsName(namesOf(m_entries), newName, m_selected)) return 0;

    ProfileEntry& entry = m_entries[static_cast<size_t>(m_selected)];
    Json::Value list = readList();
    MemberRef(ElementRef(MemberRef(list, kProfileList), static_cast<Json::ArrayIndex>(m_selected)), kName) =
        std::string(newName);
    if (!writeList(list)) return 0;
    entry.name = std::string(newName);
    if (!writeProfileFile(readProfileFile(entry.id), entry.name, entry.id)) {
        debugLog("ProfileList: renamed in the list, but the profile file could not be written");
    }
    return 1;
}

bool ProfileList::ResetProfile() {
    if (!hasSelection()) return false;
    const ProfileEntry entry =
        entryOf(Element(Member(readList(), kProfileList), static_cast<Json::ArrayIndex>(m_selected)));
    Json::Value document = ReadJsonFile(m_defaultProfile);
    if (m_typeCode == kHeadsetTypeCode) {
        // The user's own equalisers are not part of the defaults; keep them.
        const Json::Value current = readProfileFile(entry.id);
        const Json::Value& currentRecord = Element(Member(current, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = Member(currentRecord, key);
            if (!kept.isNull()) MemberRef(ElementRef(MemberRef(document, "Device"), 0), key) = kept;
        }
    }
    return writeProfileFile(std::move(document), entry.name, entry.id);
}

bool ProfileList::ExportProfile(const std::filesystem::path& path) {
    if (!hasSelection()) return false;
    const Json::Value document = readProfileFile(m_entries[static_cast<size_t>(m_selected)].id);
    if (!document.isObject()) return false;
    return WriteJsonFile(path, document);
}

bool ProfileList::ImportProfile(const std::filesystem::path& path) {
    if (!hasSelection()) return false;
    Json::Value document = ReadJsonFile(path);
    if (!document.isObject() || !document.isMember(std::string(kName)) ||
        !document.isMember(std::string(kId))) {
        return false;
    }
    std::string base = path.stem().string();
    if (IsBlank(base)) base = "profile";
    const std::string name = ImportProfileName(namesOf(m_entries), base);
    const std::string id = newProfileId();
    if (!appendProfile(name, id, false)) return false;
    return writeProfileFile(std::move(document), name, id);
}

}  // namespace halvern
