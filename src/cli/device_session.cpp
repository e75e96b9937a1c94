#include "cli/device_session.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace halvern::cli {
namespace {

/// The kind's command interface among the claimed ones: cable form first. Null when there is none.
const ClaimedInterface* chooseCommand(const std::vector<ClaimedInterface>& claimed,
                                      const DeviceKindInfo& kind) {
    for (uint16_t type : {kind.cableType, kind.receiverType}) {
        for (const auto& c : claimed) {
            if (type != 0 && c.typeCode == type && c.role == interface_role::kCommand) return &c;
        }
    }
    return nullptr;
}

}  // namespace

std::string notAttachedLine(const DeviceKindInfo& kind) {
    return "halvernctl: no " + std::string(kind.name) + " is attached";
}

std::string FoundDevice::describe() const {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", command.attributes.vendorId, command.attributes.productId);
    return std::string(ids) + (viaReceiver ? " through its receiver" : " on its cable") + " (" +
           command.path + ")";
}

const InterfaceRow& FoundDevice::row() const {
    // The scan only hands out slots of the table; an index outside it would be a fault of the scan.
    const size_t slot = command.slot >= 0 ? static_cast<size_t>(command.slot) : 0;
    return kInterfaceTable[std::min(slot, kInterfaceTable.size() - 1)];
}

std::optional<FoundDevice> openKindInto(HidBackend& backend, const DeviceKindInfo& kind,
                                        CommandChannel& channel, RunLocks* locks, std::ostream& err) {
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    if (!claimed) {
        err << "halvernctl: cannot list the HID devices (is udev available?)\n";
        return std::nullopt;
    }
    const ClaimedInterface* command = chooseCommand(*claimed, kind);
    if (!command || command->slot < 0 || static_cast<size_t>(command->slot) >= kInterfaceTable.size()) {
        err << notAttachedLine(kind) << '\n';
        return std::nullopt;
    }
    // Nothing may reach the device before it is ours for the run.
    if (locks && !locks->hold(backend, command->typeCode, kind.name, err)) return std::nullopt;
    FoundDevice found{*command, command->typeCode == kind.receiverType};
    HidInterface& hid = found.viaReceiver ? channel.receiverInterface() : channel.cableInterface();
    if (!hid.Open(found.command.path, true, true, true, false)) {
        err << "halvernctl: cannot open " << found.command.path
            << " (check the permissions of the device node; see docs/ARCHITECTURE.md on udev rules)\n";
        return std::nullopt;
    }
    channel.SetMode(found.viaReceiver ? 2 : 1);
    channel.setConnected(true);
    return found;
}

std::unique_ptr<DeviceSession> DeviceSession::open(HidBackend& backend, const DeviceKindInfo& kind,
                                                   RunLocks* locks, std::ostream& err) {
    auto session = std::make_unique<DeviceSession>(backend);
    auto found = openKindInto(backend, kind, session->m_channel, locks, err);
    if (!found) return nullptr;
    session->m_found = std::move(*found);
    return session;
}

std::string describeResult(int resultCode) {
    switch (resultCode) {
        case result::kNoReply:
            return "result 0: the device did not answer";
        case result::kWriteFailed:
            return "result -1: the request could not be sent";
        case result::kReceiverUnreachable:
            return "result -101: the receiver cannot reach the device (is it switched on?)";
        case result::kStatusFF:
            return "result -102: the device refused the command (status 0xFF)";
        case result::kStatusFE:
            return "result -103: the device refused the command (status 0xFE)";
        case result::kBadBank:
            return "result -201: bad bank";
        default:
            return "result " + std::to_string(resultCode);
    }
}

}  // namespace halvern::cli
