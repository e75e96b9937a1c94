#include "cli/key_device.h"

#include <array>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/device_session.h"
#include "device/interface_scan.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kOption = "--device";

struct DeviceName {
    std::string_view word;
    KeyDevice device;
};
constexpr std::array<DeviceName, 2> kDeviceNames{{
    {"mouse", KeyDevice::Mouse},
    {"keyboard", KeyDevice::Keyboard},
}};

std::optional<KeyDevice> deviceNamed(std::string_view word) {
    for (const DeviceName& d : kDeviceNames) {
        if (d.word == word) return d.device;
    }
    return std::nullopt;
}

/// Whether the claimed interfaces hold the kind's command interface, on its cable or through its receiver.
bool holdsKind(const std::vector<ClaimedInterface>& claimed, std::string_view kind) {
    const DeviceKindInfo* choice = findKindByName(kind);
    if (!choice) return false;
    for (const ClaimedInterface& c : claimed) {
        const bool ofKind = c.typeCode == choice->cableType ||
                            (choice->receiverType != 0 && c.typeCode == choice->receiverType);
        if (ofKind && c.role == interface_role::kCommand) return true;
    }
    return false;
}

/// The keyboard when one scan finds a keyboard and no mouse; else the mouse.
KeyDevice attachedDevice(HidBackend& backend) {
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    if (claimed && !holdsKind(*claimed, "mouse") && holdsKind(*claimed, "keyboard"))
        return KeyDevice::Keyboard;
    return KeyDevice::Mouse;
}

/// "mouse, keyboard or headset" with `last` " or ", "mouse|keyboard|headset" with "|".
std::string kindList(std::span<const std::string_view> kinds, std::string_view separator,
                     std::string_view last) {
    std::string text;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) text += i + 1 == kinds.size() ? last : separator;
        text += kinds[i];
    }
    return text;
}

std::string usageOf(std::string_view command, std::span<const std::string_view> kinds) {
    return "halvernctl " + std::string(command) + " [" + std::string(kOption) + " " +
           kindList(kinds, "|", "|") + "] ...";
}

}  // namespace

bool kindAttached(HidBackend& backend, std::string_view kind) {
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    return claimed && holdsKind(*claimed, kind);
}

std::string lightsUnavailable(HidBackend& backend, std::string_view kind) {
    const std::string word = kind == "mousepad" ? "mouse pad" : std::string(kind);
    return kindAttached(backend, kind) ? "the " + word + "'s lights are not supported yet"
                                       : "no " + word + " is attached";
}

std::string_view deviceWord(KeyDevice device) {
    for (const DeviceName& d : kDeviceNames) {
        if (d.device == device) return d.word;
    }
    return "mouse";
}

std::optional<KeyDeviceChoice> chooseKeyDevice(const CommandContext& context, const CommandArgs& args,
                                               std::string_view command,
                                               std::span<const std::string_view> kinds) {
    KeyDeviceChoice choice;
    std::optional<std::string> named;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--") {
            // The rest are words; the command's own options have ended too.
            choice.args.insert(choice.args.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        const bool joined = word.starts_with(std::string(kOption) + "=");
        if (word != kOption && !joined) {
            choice.args.push_back(word);
            continue;
        }
        std::string problem;
        if (named) problem = std::string(kOption) + " is given twice";
        if (!joined && i + 1 >= args.size()) problem = std::string(kOption) + " needs a value";
        if (!problem.empty()) {
            (void)usageError(context, command, problem, usageOf(command, kinds));
            return std::nullopt;
        }
        named = joined ? word.substr(kOption.size() + 1) : args[++i];
    }
    if (named) {
        const auto device = deviceNamed(*named);
        if (!device) {
            (void)usageError(
                context, command,
                std::string(kOption) + " takes " + kindList(kinds, ", ", " or ") + ", not '" + *named + "'",
                usageOf(command, kinds));
            return std::nullopt;
        }
        choice.device = *device;
    } else {
        choice.device = attachedDevice(context.backend);
    }
    return choice;
}

int runOnKeyDevice(const CommandContext& context, const CommandArgs& args, std::string_view command,
                   DeviceHandler mouse, DeviceHandler keyboard, std::span<const std::string_view> kinds) {
    const auto choice = chooseKeyDevice(context, args, command, kinds);
    if (!choice) return kExitUsage;
    return (choice->device == KeyDevice::Keyboard ? keyboard : mouse)(context, choice->args);
}

}  // namespace halvern::cli
