#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// The file name of the udev rules: the "70-" prefix places them before systemd's 73-seat-late.rules,
/// which turns the "uaccess" tag into an access list for the user at the seat.
inline constexpr std::string_view kUdevRulesFileName = "70-halvern.rules";

/// One USB HID interface the rules open to the user.
struct UdevRuleMatch {
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t interfaceNumber = 0;
    auto operator<=>(const UdevRuleMatch&) const = default;
};

/// What the interface is, in words ("mouse, 2.4G receiver"), from the table row it belongs to.
[[nodiscard]] std::string_view interfaceDescription(const UdevRuleMatch& match);

/// Every distinct (VID, PID, interface) of the supported-device table, cable and receiver alike, in table
/// order: the hidraw nodes the program opens.
[[nodiscard]] std::vector<UdevRuleMatch> supportedHidInterfaces();

/// The text of the udev rules file: one rule per supported interface that tags its hidraw node with
/// "uaccess", and nothing for any other device.
[[nodiscard]] std::string makeUdevRules();

/// The interfaces that the tagging rules of a rules text match, read back from its
/// `ENV{ID_VENDOR_ID}=="…", ENV{ID_MODEL_ID}=="…", ENV{ID_USB_INTERFACE_NUM}=="…"` rules. Lines that do not
/// have that form are skipped; a rule that tags without naming all three is returned as {0, 0, 0}, so a
/// check against the table sees that it matches more than one interface.
[[nodiscard]] std::vector<UdevRuleMatch> parseUdevRuleMatches(std::string_view rules);

}  // namespace halvern
