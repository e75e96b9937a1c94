#include "profile/profile_cli.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "profile/data_folders.h"
#include "profile/name_rule.h"
#include "profile/profile_list.h"

namespace halvern {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

struct CliKind {
    std::string_view word;      ///< as typed on the command line
    std::string_view kindName;  ///< folder of the user's files and name of the default profile
    int typeCode;               ///< the device type code of the cable-attached device
};

constexpr std::array<CliKind, 4> kKinds{{
    {"mouse", "mouse", 2},
    {"keyboard", "keyboard", 1},
    {"mousepad", "MousePad", 3},
    {"headset", "HD", 7},
}};

int usage(std::ostream& err, std::string_view problem) {
    err << "halvernctl: profile: " << problem << "; see 'halvernctl help profile'\n";
    return kExitUsage;
}

int refused(std::ostream& err, std::string_view line) {
    err << "halvernctl: " << line << '\n';
    return kExitRefused;
}

void printList(const ProfileList& list, std::ostream& out) {
    const auto& entries = list.GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        out << i << '\t' << (static_cast<int>(i) == list.GetSelectedIndex() ? "*" : " ") << '\t'
            << PrintableName(entries[i].name) << '\t' << entries[i].id << '\n';
    }
}

const std::string& selectedName(const ProfileList& list) {
    return list.GetEntries()[static_cast<size_t>(list.GetSelectedIndex())].name;
}

int listProfiles(ProfileList& list, const std::string*, std::ostream& out, std::ostream&) {
    printList(list, out);
    return kExitOk;
}

int addProfile(ProfileList& list, const std::string*, std::ostream& out, std::ostream& err) {
    if (list.GetEntries().size() >= ProfileList::kMaxProfiles) {
        return refused(err, "cannot add a profile: the device already has 50 profiles");
    }
    if (!list.AddProfile())
        return refused(err, "cannot add a profile: the profile files could not be written");
    out << "added " << list.GetEntries().back().name << '\n';
    return kExitOk;
}

int copyProfile(ProfileList& list, const std::string*, std::ostream& out, std::ostream& err) {
    if (!list.CopyProfile())
        return refused(err, "cannot copy the profile: the profile files could not be written");
    out << "added " << list.GetEntries().back().name << '\n';
    return kExitOk;
}

int deleteProfile(ProfileList& list, const std::string*, std::ostream& out, std::ostream& err) {
    if (list.GetEntries().size() <= 1) return refused(err, "cannot delete the last profile");
    const std::string name = selectedName(list);
    if (!list.DeleteProfile())
        return refused(err, "cannot delete the profile: the list could not be written");
    (void)list.SelectProfile(list.GetSelectedIndex());  // the switch to the entry that took its place
    out << "deleted " << name << '\n';
    return kExitOk;
}

int resetProfile(ProfileList& list, const std::string*, std::ostream& out, std::ostream& err) {
    if (!list.ResetProfile()) return refused(err, "cannot reset the profile: it could not be written");
    out << "reset " << selectedName(list) << '\n';
    return kExitOk;
}

int renameProfile(ProfileList& list, const std::string* name, std::ostream& out, std::ostream& err) {
    switch (list.RenameProfile(*name)) {
        case 1:
            out << "renamed to " << *name << '\n';
            return kExitOk;
        case 2:
            return refused(err, "cannot rename: the name is blank");
        case 3:
            return refused(err, "cannot rename: " + NameProblemText(CheckName(*name)));
        default:
            return refused(err, "cannot rename: another profile already has that name");
    }
}

int selectProfile(ProfileList& list, const std::string* arg, std::ostream& out, std::ostream& err) {
    int index = -1;
    const auto [end, error] = std::from_chars(arg->data(), arg->data() + arg->size(), index);
    if (error != std::errc() || end != arg->data() + arg->size() || !list.SelectProfile(index)) {
        return refused(err, "cannot select profile " + *arg + ": there is no profile with that index");
    }
    out << "selected " << selectedName(list) << '\n';
    return kExitOk;
}

int exportProfile(ProfileList& list, const std::string* file, std::ostream& out, std::ostream& err) {
    if (!list.ExportProfile(*file)) return refused(err, "cannot export the profile to " + *file);
    out << "exported " << selectedName(list) << " to " << *file << '\n';
    return kExitOk;
}

int importProfile(ProfileList& list, const std::string* file, std::ostream& out, std::ostream& err) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(*file, error))
        return refused(err, "cannot import " + *file + ": no such file");
    if (!list.ImportProfile(*file)) {
        return refused(err, "cannot import " + *file +
                                ": it is not a profile file (it needs \"profilename\" and \"profileUUID\")");
    }
    out << "imported " << list.GetEntries().back().name << '\n';
    return kExitOk;
}

/// One verb: its name, whether it takes a word after it, and what it does.
struct ProfileVerb {
    std::string_view name;
    bool takesWord;
    int (*run)(ProfileList&, const std::string*, std::ostream&, std::ostream&);
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

const CliKind* findKind(std::string_view word) {
    for (const CliKind& candidate : kKinds) {
        if (candidate.word == word) return &candidate;
    }
    return nullptr;
}

/// Reads the kind's profile list from the user's data folder; false when the folder cannot be opened.
bool openList(const CliKind& kind, ProfileList& list) {
    const std::filesystem::path folder = GetDeviceDataFolder(kind.kindName);
    if (folder.empty()) return false;
    list.SetDeviceType(kind.typeCode);
    list.SetPaths(folder, GetDefaultProfilePath(kind.kindName));
    list.Init();
    return true;
}

}  // namespace

std::string SelectedProfileId(std::string_view kindWord) {
    const CliKind* kind = findKind(kindWord);
    ProfileList list;
    if (!kind || !openList(*kind, list)) return {};
    return list.GetCurrentProfileId();
}

bool SelectProfileId(std::string_view kindWord, const std::string& id) {
    const CliKind* kind = findKind(kindWord);
    ProfileList list;
    if (!kind || !openList(*kind, list)) return false;
    const auto& entries = list.GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id == id) return list.SelectProfile(static_cast<int>(i));
    }
    return false;
}

int RunProfileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2) return usage(err, "a device kind and a verb are needed");
    const CliKind* kind = findKind(args[0]);
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
    return verb->run(list, verb->takesWord ? &args[2] : nullptr, out, err);
}

}  // namespace halvern
