#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// Why a device node can or cannot be opened.
enum class NodeAccess {
    Ok,               ///< opens for reading and writing
    Shared,           ///< opens, but another program has it open too
    Missing,          ///< no such node (unplugged, or the path is wrong)
    RulesMissing,     ///< no permission, and Halvern's udev rules are not installed
    RulesNotApplied,  ///< no permission; the rules are installed but the node was set up before them
    NotAtSeat,        ///< no permission although the node is tagged for the user at the seat
    NoPermission,     ///< no permission, and udev could not be asked why
    Busy,             ///< the kernel refused: another program holds the device exclusively
    Failed,           ///< any other error of open()
};

/// Another process that has the node open.
struct NodeHolder {
    pid_t pid = 0;
    std::string name;  ///< its command name, at most 64 bytes
};

/// What was found out about one node; the input of diagnoseNodeAccess, so the judgement can be tested
/// without real devices.
struct NodeAccessFacts {
    std::string node;                 ///< e.g. "/dev/hidraw3"
    int openError = 0;                ///< errno of open(O_RDWR); 0 when it opened
    std::optional<bool> uaccessTag;   ///< udev tagged the node "uaccess"; nothing when udev cannot say
    std::filesystem::path rulesFile;  ///< an installed copy of our udev rules; empty when there is none
    std::vector<NodeHolder> holders;  ///< other processes with the node open (those we may look at)
};

/// The verdict on one node: one sentence each for what is wrong and what to do about it.
struct AccessDiagnosis {
    NodeAccess access = NodeAccess::Failed;
    bool canOpen = false;
    std::string reason;  ///< "opens for reading and writing", "permission denied: ...", ...
    std::string fix;     ///< empty when there is nothing to do
};

/// Where the probe looks; tests point it at folders of their own.
struct AccessProbeSettings {
    std::vector<std::filesystem::path> rulesFolders{"/etc/udev/rules.d", "/run/udev/rules.d",
                                                    "/usr/local/lib/udev/rules.d", "/usr/lib/udev/rules.d",
                                                    "/lib/udev/rules.d"};
    std::filesystem::path procFolder = "/proc";
    /// Whether udev tagged the node "uaccess"; by default asks libudev's database.
    std::function<std::optional<bool>(const std::string& node)> uaccessTag;
};

/// The most other holders a probe lists; a node open in more processes than that is still "shared".
inline constexpr size_t kMaxListedHolders = 8;

/// Finds out whether this user can open `node` (a hidraw node, with or without a "#collection" suffix)
/// for reading and writing, and the facts that explain why not. The node is opened and closed at once.
[[nodiscard]] NodeAccessFacts probeNodeAccess(std::string_view node,
                                              const AccessProbeSettings& settings = {});

/// Judges the facts: whether the node can be opened and, if not, why and how to fix it.
[[nodiscard]] AccessDiagnosis diagnoseNodeAccess(const NodeAccessFacts& facts);

/// probeNodeAccess + diagnoseNodeAccess with the system's own folders and udev.
[[nodiscard]] AccessDiagnosis diagnoseNodeAccess(std::string_view node);

/// An installed copy of Halvern's udev rules in one of `folders`, or an empty path.
[[nodiscard]] std::filesystem::path findInstalledUdevRules(const std::vector<std::filesystem::path>& folders);

/// The command that installs the rules from a run in the source tree, for fix texts.
inline constexpr std::string_view kInstallRulesCommand =
    "halvernctl doctor --udev-rules | sudo tee /etc/udev/rules.d/70-halvern.rules >/dev/null && "
    "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw";

}  // namespace halvern
