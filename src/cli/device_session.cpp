#include "cli/device_session.h"

#include <array>
#include <cstdio>

namespace halvern::cli {
namespace {

constexpr std::array<KindChoice, 4> kKinds{{
    {"mouse", type_code::kMouse, type_code::kMouseReceiver},
    {"keyboard", type_code::kKeyboard, type_code::kKeyboardReceiver},
    {"mousepad", type_code::kMousePad, 0},
    {"headset", type_code::kHeadset, 0},
}};

}  // namespace

const KindChoice* findKindChoice(std::string_view name) {
    for (const auto& k : kKinds) {
        if (k.name == name) return &k;
    }
    return nullptr;
}

std::unique_ptr<DeviceSession> DeviceSession::open(HidBackend& backend, const KindChoice& kind,
                                                   std::ostream& err) {
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    if (!claimed) {
        err << "halvernctl: cannot list the HID devices (is udev available?)\n";
        return nullptr;
    }
    const ClaimedInterface* found = nullptr;
    for (uint16_t type : {kind.cableType, kind.receiverType}) {
        for (const auto& c : *claimed) {
            if (!found && type != 0 && c.typeCode == type && c.role == interface_role::kCommand) found = &c;
        }
    }
    if (!found) {
        err << "halvernctl: no " << kind.name << " is attached\n";
        return nullptr;
    }
    auto session = std::make_unique<DeviceSession>(backend);
    session->m_command = *found;
    session->m_viaReceiver = found->typeCode == kind.receiverType;
    CommandChannel& channel = session->m_channel;
    HidInterface& hid = session->m_viaReceiver ? channel.receiverInterface() : channel.cableInterface();
    if (!hid.Open(found->path, true, true, true, false)) {
        err << "halvernctl: cannot open " << found->path
            << " (check the permissions of the device node; see docs/ARCHITECTURE.md on udev rules)\n";
        return nullptr;
    }
    channel.SetMode(session->m_viaReceiver ? 2 : 1);
    channel.setConnected(true);
    return session;
}

std::string DeviceSession::describe() const {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", m_command.attributes.vendorId, m_command.attributes.productId);
    return std::string(ids) + (m_viaReceiver ? " through its receiver" : " on its cable") + " (" +
           m_command.path + ")";
}

std::string describeResult(int resultCode) {
    switch (resultCode) {
        case result::kNoReply: return "result 0: the device did not answer";
        case result::kWriteFailed: return "result -1: the request could not be sent";
        case result::kReceiverUnreachable:
            return "result -101: the receiver cannot reach the device (is it switched on?)";
        case result::kStatusFF: return "result -102: the device refused the command (status 0xFF)";
        case result::kStatusFE: return "result -103: the device refused the command (status 0xFE)";
        case result::kBadBank: return "result -201: bad bank";
        default: return "result " + std::to_string(resultCode);
    }
}

}  // namespace halvern::cli
