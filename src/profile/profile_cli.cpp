#include "profile/profile_cli.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "device/kind_registry.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"
#include "profile/name_rule.h"
#include "profile/profile_list.h"

namespace halvern {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int usage(std::ostream& err, std::string_view problem) {
    err << "halvernctl: profile: " << problem << "; see 'halvernctl help profile'\n";
    return kExitUsage;
}

int refused(std::ostream& err, std::string_view line) {
    err << "halvernctl: " << line << '\n';
    return kExitRefused;
}

/// What a verb writes to: the output, and whether it is JSON.
struct Output {
    std::ostream& out;
    bool json;
    std::string_view kind;
};

/// Profile `i` of the list as --json prints it: index (from 1), name, id, selected.
Json::Value profileJson(const ProfileList& list, size_t i) {
    const auto& entries = list.GetEntries();
    Json::Value row(Json::objectValue);
    if (i >= entries.size()) return row;
    row["index"] = static_cast<Json::UInt64>(i + 1);
    row["name"] = entries[i].name;
    row["id"] = entries[i].id;
    row["selected"] = static_cast<int>(i) == list.GetSelectedIndex();
    return row;
}

/// The confirmation of a change: "ACTION NAME" in text; in JSON the change result with the profile.
void confirm(const Output& o, std::string_view action, const Json::Value& profile, const std::string& line,
             const std::string* file = nullptr) {
    if (!o.json) {
        o.out << line << '\n';
        return;
    }
    Json::Value result(Json::objectValue);
    result["device"] = std::string(o.kind);
    result["changed"] = "profile";
    result["action"] = std::string(action);
    result["profile"] = profile;
    if (file) result["file"] = *file;
    o.out << FormatJson(result);
}

size_t selected(const ProfileList& list) {
    return static_cast<size_t>(list.GetSelectedIndex());
}

void printList(const ProfileList& list, const Output& o) {
    const auto& entries = list.GetEntries();
    if (o.json) {
        Json::Value root(Json::objectValue);
        root["device"] = std::string(o.kind);
        root["profiles"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < entries.size(); ++i) root["profiles"].append(profileJson(list, i));
        o.out << FormatJson(root);
        return;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        o.out << i + 1 << '\t' << (static_cast<int>(i) == list.GetSelectedIndex() ? "*" : " ") << '\t'
              << PrintableName(entries[i].name) << '\t' << entries[i].id << '\n';
    }
}

const std::string& selectedName(const ProfileList& list) {
    return list.GetEntries()[static_cast<size_t>(list.GetSelectedIndex())].name;
}

int listProfiles(ProfileList& list, const std::string*, const Output& o, std::ostream&) {
    printList(list, o);
    return kExitOk;
}

int addProfile(ProfileList& list, const std::string*, const Output& o, std::ostream& err) {
    if (list.GetEntries().size() >= ProfileList::kMaxProfiles) {
        return refused(err, "cannot add a profile: the device already has 50 profiles");
    }
    if (!list.AddProfile())
        return refused(err, "cannot add a profile: the profile files could not be written");
    confirm(o, "added", profileJson(list, list.GetEntries().size() - 1),
            "added " + list.GetEntries().back().name);
    return kExitOk;
}

int copyProfile(ProfileList& list, const std::string*, const Output& o, std::ostream& err) {
    if (!list.CopyProfile())
        return refused(err, "cannot copy the profile: the profile files could not be written");
    confirm(o, "added", profileJson(list, list.GetEntries().size() - 1),
            "added " + list.GetEntries().back().name);
    return kExitOk;
}

int deleteProfile(ProfileList& list, const std::string*, const Output& o, std::ostream& err) {
    if (list.GetEntries().size() <= 1) return refused(err, "cannot delete the last profile");
    const std::string name = selectedName(list);
    Json::Value deleted = profileJson(list, selected(list));
    deleted["selected"] = false;
    if (!list.DeleteProfile())
        return refused(err, "cannot delete the profile: the list could not be written");
    (void)list.SelectProfile(list.GetSelectedIndex());  // the switch to the entry that took its place
    confirm(o, "deleted", deleted, "deleted " + name);
    return kExitOk;
}

int resetProfile(ProfileList& list, const std::string*, const Output& o, std::ostream& err) {
    if (!list.ResetProfile()) return refused(err, "cannot reset the profile: it could not be written");
    confirm(o, "reset", profileJson(list, selected(list)), "reset " + selectedName(list));
    return kExitOk;
}

int renameProfile(ProfileList& list, const std::string* name, const Output& o, std::ostream& err) {
    switch (list.RenameProfile(*name)) {
        case 1:
            confirm(o, "renamed", profileJson(list, selected(list)), "renamed to " + PrintableName(*name));
            return kExitOk;
        case 2:
            return refused(err, "cannot rename: the name is blank");
        case 3:
            return refused(err, "cannot rename: " + NameProblemText(CheckName(*name)));
        default:
            return refused(err, "cannot rename: another profile already has that name");
    }
}

int selectProfile(ProfileList& list, const std::string* arg, const Output& o, std::ostream& err) {
    // INDEX counts from 1, as the window's list shows the profiles; a number outside the list is a usage
    // mistake, named with the list's range.
    const size_t count = list.GetEntries().size();
    int index = 0;
    const auto [end, error] = std::from_chars(arg->data(), arg->data() + arg->size(), index);
    if (error != std::errc() || end != arg->data() + arg->size() || index < 1 ||
        static_cast<size_t>(index) > count) {
        return usage(err, "INDEX takes 1-" + std::to_string(count) + ", not '" + *arg + "'");
    }
    if (!list.SelectProfile(index - 1))
        return refused(err, "cannot select profile " + *arg + ": the profile list could not be written");
    confirm(o, "selected", profileJson(list, selected(list)), "selected " + selectedName(list));
    return kExitOk;
}

int exportProfile(ProfileList& list, const std::string* file, const Output& o, std::ostream& err) {
    if (!list.ExportProfile(*file)) return refused(err, "cannot export the profile to " + *file);
    confirm(o, "exported", profileJson(list, selected(list)),
            "exported " + selectedName(list) + " to " + *file, file);
    return kExitOk;
}

int importProfile(ProfileList& list, const std::string* file, const Output& o, std::ostream& err) {
    std::error_code error;
    if (!std::filesystem::exists(*file, error))
        return refused(err, "cannot import " + *file + ": no such file");
    if (!std::filesystem::is_regular_file(*file, error))
        return refused(err, "cannot import " + *file + ": it is not a file");
    if (!list.ImportProfile(*file)) {
        return refused(err, "cannot import " + *file +
                                ": it is not a profile file (it needs \"profilename\" and \"profileUUID\")");
    }
    confirm(o, "imported", profileJson(list, list.GetEntries().size() - 1),
            "imported " + list.GetEntries().back().name);
    return kExitOk;
}

/// One verb: its name, whether it takes a word after it, and what it does.
struct ProfileVerb {
    std::string_view name;
    bool takesWord;
    int (*run)(ProfileList&, const std::string*, const Output&, std::ostream&);
};

constexpr std::array<ProfileVerb, 9> kVerbs{{
    {"list", false, listProfiles},
    {"add", false, addProfile},
    {"copy", false, copyProfile},
    {"delete", false, deleteProfile},
    {"rename", true, renameProfile},
    {"select", true, selectProfile},
    {"reset", false, resetProfile},
    {"export", true, exportProfile},
    {"import", true, importProfile},
}};

/// Reads the kind's profile list from the user's data folder; false when the folder cannot be opened.
bool openList(const DeviceKindInfo& kind, ProfileList& list) {
    const std::filesystem::path folder = GetDeviceDataFolder(kind.dataFolder());
    if (folder.empty()) return false;
    list.SetDeviceType(kind.cableType);
    list.SetPaths(folder, GetDefaultProfilePath(kind.dataFolder()));
    list.Init();
    return true;
}

}  // namespace

std::string SelectedProfileId(std::string_view kindWord) {
    const DeviceKindInfo* kind = findKindByName(kindWord);
    ProfileList list;
    if (!kind || !openList(*kind, list)) return {};
    return list.GetCurrentProfileId();
}

bool SelectProfileId(std::string_view kindWord, const std::string& id) {
    const DeviceKindInfo* kind = findKindByName(kindWord);
    ProfileList list;
    if (!kind || !openList(*kind, list)) return false;
    const auto& entries = list.GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id == id) return list.SelectProfile(static_cast<int>(i));
    }
    return false;
}

int RunProfileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool json) {
    if (args.size() < 2) return usage(err, "a device kind and a verb are needed");
    const DeviceKindInfo* kind = findKindByName(args[0]);
    if (!kind) return usage(err, "no device kind '" + args[0] + "'");
    const ProfileVerb* verb = nullptr;
    for (const ProfileVerb& candidate : kVerbs) {
        if (candidate.name == args[1]) verb = &candidate;
    }
    if (!verb) return usage(err, "unknown verb '" + args[1] + "'");
    if (args.size() != (verb->takesWord ? 3u : 2u)) {
        return usage(
            err, std::string(verb->name) + (verb->takesWord ? " takes one word" : " takes no more words"));
    }

    ProfileList list;
    if (!openList(*kind, list)) return refused(err, "cannot open the user's data folder");
    return verb->run(list, verb->takesWord ? &args[2] : nullptr, Output{out, json, kind->name}, err);
}

}  // namespace halvern
