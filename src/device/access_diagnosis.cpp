#include "device/access_diagnosis.h"

#include <fcntl.h>
#include <libudev.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include "device/hid_backend.h"
#include "device/udev_rules.h"

namespace halvern {
namespace {

struct UdevUnref {
    void operator()(udev* p) const { udev_unref(p); }
    void operator()(udev_device* p) const { udev_device_unref(p); }
};

/// The node's "uaccess" tag from udev's database. Nothing when the node is not a character device or udev
/// has no record of it (no udev daemon, or not processed yet): then nobody can say whether rules applied.
std::optional<bool> udevUaccessTag(const std::string& node) {
    struct stat st {};
    if (::stat(node.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
    const std::unique_ptr<udev, UdevUnref> context(udev_new());
    if (!context) return std::nullopt;
    const std::unique_ptr<udev_device, UdevUnref> device(
        udev_device_new_from_devnum(context.get(), 'c', st.st_rdev));
    if (!device || udev_device_get_is_initialized(device.get()) <= 0) return std::nullopt;
    return udev_device_has_tag(device.get(), "uaccess") > 0;
}

bool isProcessId(std::string_view name, pid_t& pid) {
    if (name.empty() || name.size() > 10) return false;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end == name.data() + name.size() && pid > 0;
}

std::string commandName(const std::filesystem::path& processFolder) {
    std::ifstream in(processFolder / "comm");
    std::string name;
    std::getline(in, name);
    if (name.size() > 64) name.resize(64);
    return name.empty() ? std::string("an unknown program") : name;
}

/// Processes other than ours with a descriptor on `node`. Only the processes whose descriptors this user
/// may read are seen (all of them for root).
std::vector<NodeHolder> findHolders(const std::filesystem::path& procFolder, const std::string& node) {
    std::vector<NodeHolder> holders;
    std::error_code error;
    const pid_t self = ::getpid();
    for (std::filesystem::directory_iterator process(procFolder, error), end; !error && process != end;
         process.increment(error)) {
        pid_t pid = 0;
        if (!isProcessId(process->path().filename().native(), pid) || pid == self) continue;
        std::error_code fdError;
        for (std::filesystem::directory_iterator fd(process->path() / "fd", fdError), fdEnd;
             !fdError && fd != fdEnd; fd.increment(fdError)) {
            std::error_code linkError;
            if (std::filesystem::read_symlink(fd->path(), linkError) != node || linkError) continue;
            holders.push_back({pid, commandName(process->path())});
            break;
        }
        if (holders.size() >= kMaxListedHolders) break;
    }
    return holders;
}

std::string holderList(const std::vector<NodeHolder>& holders) {
    std::string text;
    for (size_t i = 0; i < holders.size(); ++i) {
        if (i > 0) text += i + 1 == holders.size() ? " and " : ", ";
        text += holders[i].name + " (pid " + std::to_string(holders[i].pid) + ")";
    }
    return text;
}

AccessDiagnosis verdict(NodeAccess access, std::string reason, std::string fix) {
    const bool canOpen = access == NodeAccess::Ok || access == NodeAccess::Shared;
    return {access, canOpen, std::move(reason), std::move(fix)};
}

std::string reloadAndTrigger() {
    return "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw (or plug the "
           "device in "
           "again)";
}

}  // namespace

std::filesystem::path findInstalledUdevRules(const std::vector<std::filesystem::path>& folders) {
    for (const auto& folder : folders) {
        std::error_code error;
        std::filesystem::path file = folder / std::string(kUdevRulesFileName);
        if (std::filesystem::is_regular_file(file, error)) return file;
    }
    return {};
}

NodeAccessFacts probeNodeAccess(std::string_view node, const AccessProbeSettings& settings) {
    NodeAccessFacts facts;
    facts.node = std::string(splitCollectionPath(node).node);
    const int fd = ::open(facts.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        ::close(fd);
    } else {
        facts.openError = errno;
    }
    if (facts.openError == EACCES || facts.openError == EPERM) {
        facts.uaccessTag = settings.uaccessTag ? settings.uaccessTag(facts.node) : udevUaccessTag(facts.node);
    }
    facts.rulesFile = findInstalledUdevRules(settings.rulesFolders);
    if (facts.openError == 0 || facts.openError == EBUSY)
        facts.holders = findHolders(settings.procFolder, facts.node);
    return facts;
}

AccessDiagnosis diagnoseNodeAccess(const NodeAccessFacts& facts) {
    const std::string installRules = "install the udev rules: " + std::string(kInstallRulesCommand);
    switch (facts.openError) {
        case 0:
            if (facts.holders.empty()) return verdict(NodeAccess::Ok, "opens for reading and writing", "");
            return verdict(
                NodeAccess::Shared,
                "opens, but " + holderList(facts.holders) +
                    " has it open too, and two programs sending commands at once confuse the device",
                "close the other program while Halvern runs");
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return verdict(NodeAccess::Missing,
                           "no such device node: the device was unplugged or is not set up",
                           "plug the device in again and check that it shows up in 'ls /dev/hidraw*'");
        case EBUSY:
            return verdict(NodeAccess::Busy,
                           facts.holders.empty()
                               ? "the device is busy: another program holds it"
                               : "the device is busy: " + holderList(facts.holders) + " holds it",
                           "close the other program, then start Halvern again");
        case EACCES:
        case EPERM:
            if (facts.uaccessTag == true) {
                return verdict(
                    NodeAccess::NotAtSeat,
                    "permission denied: udev opens the device only to the user of the active local "
                    "session, and this is not it (a remote login, or another user's session in front)",
                    "run Halvern in the desktop session at this computer, or switch to that session");
            }
            if (facts.uaccessTag == false) {
                if (facts.rulesFile.empty()) {
                    return verdict(NodeAccess::RulesMissing,
                                   "permission denied: Halvern's udev rules (" +
                                       std::string(kUdevRulesFileName) + ") are not installed",
                                   installRules);
                }
                return verdict(NodeAccess::RulesNotApplied,
                               "permission denied: the udev rules in " + facts.rulesFile.string() +
                                   " were not applied to this node yet",
                               "apply them: " + reloadAndTrigger());
            }
            return verdict(
                NodeAccess::NoPermission,
                "permission denied, and udev has no record of the node (is systemd-udevd running?)",
                facts.rulesFile.empty() ? installRules : "start systemd-udevd, then " + reloadAndTrigger());
        default:
            return verdict(NodeAccess::Failed,
                           "cannot open it: " + std::string(std::strerror(facts.openError)),
                           "plug the device in again; should the error stay, report it with this line");
    }
}

AccessDiagnosis diagnoseNodeAccess(std::string_view node) {
    return diagnoseNodeAccess(probeNodeAccess(node));
}

}  // namespace halvern
