#include "input/macro_store.h"

#include "input/file_copy.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/name_rule.h"
#include "profile/text_utf8.h"

namespace halvern {
namespace {

constexpr std::string_view kMacroInfo = "MacroInfo";
constexpr std::string_view kMacroName = "MacroName";
constexpr std::string_view kGuid = "Guid";
constexpr std::string_view kEvents = "Events";
constexpr std::string_view kVersion = "Version";

bool validPosition(const std::vector<MacroEntry>& entries, int position) {
    return position >= 0 && static_cast<size_t>(position) < entries.size();
}

}  // namespace

std::string NewMacroName(std::span<const MacroEntry> entries) {
    // Each candidate is tested against every entry, so at most entries.size() + 1 candidates are formed.
    for (size_t n = 1;; ++n) {
        std::string candidate = "macro_" + std::to_string(n);
        bool taken = false;
        for (const MacroEntry& entry : entries) taken = taken || EqualsIgnoreCase(entry.name, candidate);
        if (!taken) return candidate;
    }
}

MacroStore::MacroStore(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path MacroStore::ListPath() const {
    return m_folder / "macro.config";
}

std::filesystem::path MacroStore::MacroPath(std::string_view guid) const {
    const std::string fileName = std::string(guid) + ".mac";
    if (!IsSafeFileStem(guid) || !IsSafeFileStem(fileName)) return {};
    return m_folder / fileName;
}

std::vector<MacroEntry> MacroStore::LoadMacroList() const {
    const Json::Value document = ReadJsonFile(ListPath());  // kept: `list` refers into it
    const Json::Value& list = Member(document, kMacroInfo);
    std::vector<MacroEntry> entries;
    const Json::ArrayIndex count = ListLength(list);
    entries.reserve(count);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const Json::Value& element = Element(list, i);
        entries.push_back({ToText(Member(element, kMacroName)), ToText(Member(element, kGuid))});
    }
    return entries;
}

bool MacroStore::writeList(const std::vector<MacroEntry>& entries) const {
    Json::Value document(Json::objectValue);
    Json::Value& list = document[std::string(kMacroInfo)] = Json::Value(Json::arrayValue);
    for (const MacroEntry& entry : entries) {
        Json::Value element(Json::objectValue);
        element[std::string(kGuid)] = entry.guid;
        element[std::string(kMacroName)] = entry.name;
        list.append(std::move(element));
    }
    return WriteJsonFile(ListPath(), document);
}

std::string MacroStore::newGuid(const std::vector<MacroEntry>& entries) const {
    // A macro's id names its file: never one in use.
    auto taken = [&](const std::string& id) {
        for (const MacroEntry& entry : entries) {
            if (entry.guid == id) return true;
        }
        std::error_code error;
        return std::filesystem::exists(MacroPath(id), error);
    };
    return MakeUniqueTimeId(taken);
}

int MacroStore::appendEntry(std::vector<MacroEntry>& entries) const {
    if (entries.size() >= kMaxMacros) return -1;
    entries.push_back({NewMacroName(entries), newGuid(entries)});
    if (!writeList(entries)) {
        entries.pop_back();
        return -1;
    }
    return static_cast<int>(entries.size()) - 1;
}

std::string MacroStore::AddMacro() {
    std::vector<MacroEntry> entries = LoadMacroList();
    const int position = appendEntry(entries);
    return position < 0 ? std::string() : entries[static_cast<size_t>(position)].name;
}

RenameResult MacroStore::RenameMacro(int position, std::string_view name) {
    std::vector<MacroEntry> entries = LoadMacroList();
    if (const NameProblem problem = CheckName(name); problem != NameProblem::None)
        return problem == NameProblem::Blank ? RenameResult::kBlank : RenameResult::kInvalid;
    for (const MacroEntry& entry : entries) {
        if (EqualsIgnoreCase(entry.name, name)) return RenameResult::kDuplicate;
    }
    if (!validPosition(entries, position)) return RenameResult::kFailed;
    entries[static_cast<size_t>(position)].name = std::string(name);
    return writeList(entries) ? RenameResult::kDone : RenameResult::kFailed;
}

int MacroStore::DeleteMacro(int position) {
    std::vector<MacroEntry> entries = LoadMacroList();
    if (!validPosition(entries, position)) return -1;
    const std::filesystem::path file = MacroPath(entries[static_cast<size_t>(position)].guid);
    entries.erase(entries.begin() + position);
    if (!writeList(entries)) return -1;
    if (!file.empty()) {
        std::error_code error;
        std::filesystem::remove(file, error);
    }
    return position;
}

std::vector<MacroEvent> MacroStore::LoadMacro(std::string_view guid) const {
    const std::filesystem::path path = MacroPath(guid);
    return path.empty() ? std::vector<MacroEvent>() : LoadEventsFile(path);
}

bool MacroStore::SaveMacro(int position, std::span<const MacroEvent> events) {
    const std::vector<MacroEntry> entries = LoadMacroList();
    if (!validPosition(entries, position)) return false;
    const MacroEntry& entry = entries[static_cast<size_t>(position)];
    const std::filesystem::path path = MacroPath(entry.guid);
    if (path.empty()) return false;
    Json::Value document(Json::objectValue);
    Json::Value& list = document[std::string(kEvents)] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : events) list.append(EventToJson(event));
    document[std::string(kGuid)] = entry.guid;
    document[std::string(kMacroName)] = entry.name;
    document[std::string(kVersion)] = kMacroFileVersion;
    return WriteJsonFile(path, document);
}

bool MacroStore::ExportMacro(int position, const std::filesystem::path& target) const {
    const std::vector<MacroEntry> entries = LoadMacroList();
    if (!validPosition(entries, position)) return false;
    const std::filesystem::path path = MacroPath(entries[static_cast<size_t>(position)].guid);
    return !path.empty() && CopyFileAtomic(path, target);
}

MacroStore::Imported MacroStore::ImportMacro(const std::filesystem::path& source) {
    if (const ImportResult check = CheckEventFile(source); check != ImportResult::Imported)
        return {check, {}};
    std::vector<MacroEntry> entries = LoadMacroList();
    if (entries.size() >= kMaxMacros) return {ImportResult::ListFull, {}};
    const int position = appendEntry(entries);
    if (position < 0) return {ImportResult::WriteFailed, {}};
    const MacroEntry& entry = entries[static_cast<size_t>(position)];
    if (!CopyFileAtomic(source, MacroPath(entry.guid))) {
        // Take the new entry back out rather than leave a macro with nothing behind it.
        entries.pop_back();
        static_cast<void>(writeList(entries));
        return {ImportResult::WriteFailed, {}};
    }
    return {ImportResult::Imported, entry.name};
}

}  // namespace halvern
