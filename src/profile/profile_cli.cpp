#include "profile/profile_cli.h"

#include <array>
#include <charconv>
#include <ostream>
#include <string_view>

#include "profile/data_folders.h"
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

constexpr std::string_view kUsage =
    "usage: halvernctl profile mouse|keyboard|mousepad|headset "
    "list|add|copy|delete|rename NAME|select INDEX|reset|export FILE|import FILE";

int usage(std::ostream& err) {
    err << kUsage << '\n';
    return kExitUsage;
}

int refused(std::ostream& err, std::string_view line) {
    err << line << '\n';
    return kExitRefused;
}

void printList(const ProfileList& list, std::ostream& out) {
    const auto& entries = list.GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        out << i << '\t' << (static_cast<int>(i) == list.GetSelectedIndex() ? "*" : " ") << '\t' << entries[i].name
            << '\t' << entries[i].id << '\n';
    }
}

const std::string& selectedName(const ProfileList& list) {
    return list.GetEntries()[static_cast<size_t>(list.GetSelectedIndex())].name;
}

int runVerb(ProfileList& list, std::string_view verb, const std::string* arg, std::ostream& out,
            std::ostream& err) {
    if (verb == "list") {
        printList(list, out);
        return kExitOk;
    }
    if (verb == "add") {
        if (list.GetEntries().size() >= ProfileList::kMaxProfiles) {
            return refused(err, "Cannot add a profile: the device already has 50 profiles.");
        }
        if (!list.AddProfile()) return refused(err, "Cannot add a profile: the profile files could not be written.");
        out << "added " << list.GetEntries().back().name << '\n';
        return kExitOk;
    }
    if (verb == "copy") {
        if (!list.CopyProfile()) return refused(err, "Cannot copy the profile: the profile files could not be written.");
        out << "added " << list.GetEntries().back().name << '\n';
        return kExitOk;
    }
    if (verb == "delete") {
        if (list.GetEntries().size() <= 1) return refused(err, "Cannot delete the last profile.");
        const std::string name = selectedName(list);
        if (!list.DeleteProfile()) return refused(err, "Cannot delete the profile: the list could not be written.");
        (void)list.SelectProfile(list.GetSelectedIndex());  // the switch to the entry that took its place
        out << "deleted " << name << '\n';
        return kExitOk;
    }
    if (verb == "reset") {
        if (!list.ResetProfile()) return refused(err, "Cannot reset the profile: it could not be written.");
        out << "reset " << selectedName(list) << '\n';
        return kExitOk;
    }
    if (!arg) return -1;
    if (verb == "rename") {
        switch (list.RenameProfile(*arg)) {
            case 1:
                out << "renamed to " << *arg << '\n';
                return kExitOk;
            case 2:
                return refused(err, "Cannot rename: the name is blank.");
            default:
                return refused(err, "Cannot rename: another profile already has that name.");
        }
    }
    if (verb == "select") {
        int index = -1;
        const auto [end, error] = std::from_chars(arg->data(), arg->data() + arg->size(), index);
        if (error != std::errc() || end != arg->data() + arg->size() || !list.SelectProfile(index)) {
            return refused(err, "Cannot select profile " + *arg + ": there is no profile with that index.");
        }
        out << "selected " << selectedName(list) << '\n';
        return kExitOk;
    }
    if (verb == "export") {
        if (!list.ExportProfile(*arg)) return refused(err, "Cannot export the profile to " + *arg + ".");
        out << "exported " << selectedName(list) << " to " << *arg << '\n';
        return kExitOk;
    }
    if (verb == "import") {
        if (!list.ImportProfile(*arg)) {
            return refused(err, "Cannot import " + *arg +
                                    ": it is not a profile file (it needs \"profilename\" and \"profileUUID\").");
        }
        out << "imported " << list.GetEntries().back().name << '\n';
        return kExitOk;
    }
    return -1;
}

}  // namespace

int RunProfileCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2 || args.size() > 3) return usage(err);
    const CliKind* kind = nullptr;
    for (const CliKind& candidate : kKinds) {
        if (candidate.word == args[0]) kind = &candidate;
    }
    if (!kind) return usage(err);

    const std::filesystem::path folder = GetDeviceDataFolder(kind->kindName);
    if (folder.empty()) return refused(err, "Cannot open the user's data folder.");
    ProfileList list;
    list.SetDeviceType(kind->typeCode);
    list.SetPaths(folder, GetDefaultProfilePath(kind->kindName));
    list.Init();

    const int result = runVerb(list, args[1], args.size() == 3 ? &args[2] : nullptr, out, err);
    return result < 0 ? usage(err) : result;
}

}  // namespace halvern
