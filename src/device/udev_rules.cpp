#include "device/udev_rules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "device/supported_devices.h"

namespace halvern {
namespace {

std::string_view describe(uint16_t typeCode) {
    switch (typeCode) {
        case type_code::kKeyboard:
            return "keyboard, cable";
        case type_code::kKeyboardReceiver:
            return "keyboard, 2.4G receiver";
        case type_code::kMouse:
            return "mouse, cable";
        case type_code::kMouseReceiver:
            return "mouse, 2.4G receiver";
        case type_code::kMousePad:
            return "mouse pad";
        case type_code::kHeadset:
            return "headset";
        default:
            return "device";
    }
}

// The value of `key=="value"` in a rule line; empty when the key is absent or its value unterminated.
std::string_view valueOf(std::string_view line, std::string_view key) {
    const size_t at = line.find(key);
    if (at == std::string_view::npos) return {};
    const size_t start = at + key.size();
    if (line.substr(start, 3) != "==\"") return {};
    const size_t end = line.find('"', start + 3);
    if (end == std::string_view::npos) return {};
    return line.substr(start + 3, end - start - 3);
}

bool parseHex(std::string_view text, size_t digits, uint16_t& value) {
    if (text.size() != digits) return false;
    unsigned parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, 16);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    value = static_cast<uint16_t>(parsed);
    return true;
}

}  // namespace

std::string_view interfaceDescription(const UdevRuleMatch& match) {
    for (const InterfaceRow& row : kInterfaceTable) {
        if (row.vid == match.vid && row.pid == match.pid && row.interfaceNumber == match.interfaceNumber) {
            return describe(row.typeCode);
        }
    }
    return "unsupported device";
}

std::vector<UdevRuleMatch> supportedHidInterfaces() {
    std::vector<UdevRuleMatch> matches;
    for (const InterfaceRow& row : kInterfaceTable) {
        const UdevRuleMatch match{row.vid, row.pid, row.interfaceNumber};
        if (std::find(matches.begin(), matches.end(), match) == matches.end()) matches.push_back(match);
    }
    return matches;
}

std::string makeUdevRules() {
    std::string text =
        "# Halvern: lets the user at the seat open the hidraw nodes of the supported devices.\n"
        "# Generated from the program's supported-device table; edits are lost on the next install.\n"
        "# The \"uaccess\" tag is turned into an access list by systemd's 73-seat-late.rules.\n"
        "ACTION==\"remove\", GOTO=\"halvern_end\"\n"
        "SUBSYSTEM!=\"hidraw\", GOTO=\"halvern_end\"\n"
        "IMPORT{builtin}=\"usb_id\"\n";
    for (const UdevRuleMatch& match : supportedHidInterfaces()) {
        char rule[200];
        std::snprintf(
            rule, sizeof rule,
            "# %.40s\n"
            "ENV{ID_VENDOR_ID}==\"%04x\", ENV{ID_MODEL_ID}==\"%04x\", ENV{ID_USB_INTERFACE_NUM}==\"%02x\", "
            "TAG+=\"uaccess\"\n",
            std::string(interfaceDescription(match)).c_str(), match.vid, match.pid, match.interfaceNumber);
        text += rule;
    }
    text += "LABEL=\"halvern_end\"\n";
    return text;
}

std::vector<UdevRuleMatch> parseUdevRuleMatches(std::string_view rules) {
    std::vector<UdevRuleMatch> matches;
    while (!rules.empty()) {
        const size_t newline = rules.find('\n');
        const std::string_view line = rules.substr(0, newline);
        rules = newline == std::string_view::npos ? std::string_view() : rules.substr(newline + 1);
        if (line.empty() || line.front() == '#' || line.find("TAG+=\"uaccess\"") == std::string_view::npos)
            continue;
        UdevRuleMatch match;
        if (!parseHex(valueOf(line, "ENV{ID_VENDOR_ID}"), 4, match.vid) ||
            !parseHex(valueOf(line, "ENV{ID_MODEL_ID}"), 4, match.pid) ||
            !parseHex(valueOf(line, "ENV{ID_USB_INTERFACE_NUM}"), 2, match.interfaceNumber)) {
            match = {};
        }
        matches.push_back(match);
    }
    return matches;
}

}  // namespace halvern
