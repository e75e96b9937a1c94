#include "device/udev_rules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "device/supported_devices.h"

namespace halvern {
namespace {

TEST(UdevRules, OpenExactlyTheTablesInterfacesCableAndReceiver) {
    std::set<UdevRuleMatch> table;
    for (const InterfaceRow& row : kInterfaceTable) table.insert({row.vid, row.pid, row.interfaceNumber});
    const std::vector<UdevRuleMatch> rules = parseUdevRuleMatches(makeUdevRules());
    EXPECT_EQ(std::set<UdevRuleMatch>(rules.begin(), rules.end()), table);
    EXPECT_EQ(rules.size(), table.size());  // one rule each, none twice
    EXPECT_EQ(rules, supportedHidInterfaces());
    // Both ways of attachment of the mouse and the keyboard are there.
    for (uint16_t pid : {0x221C, 0x221D, 0x5055, 0x5001}) EXPECT_TRUE(table.count({0x320F, pid, 1})) << pid;
}

TEST(UdevRules, CheckSeesRulesThatOpenMoreThanOneInterface) {
    const auto matches = parseUdevRuleMatches(
        "# a comment with TAG+=\"uaccess\"\n"
        "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"320f\", TAG+=\"uaccess\"\n"
        "ENV{ID_VENDOR_ID}==\"320f\", ENV{ID_MODEL_ID}==\"221c\", ENV{ID_USB_INTERFACE_NUM}==\"01\", "
        "TAG+=\"uaccess\"\n"
        "ENV{ID_VENDOR_ID}==\"320f\", ENV{ID_MODEL_ID}==\"221c\", ENV{ID_USB_INTERFACE_NUM}==\"1\", "
        "TAG+=\"uaccess\"\n"
        "ENV{ID_VENDOR_ID}==\"320f\", ENV{ID_MODEL_ID}==\"22");  // cut short: no tag, no rule
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[0], UdevRuleMatch{});  // vendor only: every product of the vendor
    EXPECT_EQ(matches[1], (UdevRuleMatch{0x320F, 0x221C, 1}));
    EXPECT_EQ(matches[2], UdevRuleMatch{});  // the interface number is not written as udev writes it
}

#ifdef HALVERN_UDEV_RULES_FILE
TEST(UdevRules, BuiltFileIsTheGeneratedText) {
    std::ifstream in(HALVERN_UDEV_RULES_FILE, std::ios::binary);
    ASSERT_TRUE(in) << HALVERN_UDEV_RULES_FILE;
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), makeUdevRules());
    EXPECT_NE(std::string(HALVERN_UDEV_RULES_FILE).find(kUdevRulesFileName), std::string::npos);
}
#endif

}  // namespace
}  // namespace halvern
