// Opening a device object over the emulator the way the device list does (for tests and benchmarks).

#pragma once

#include "device/interface_scan.h"
#include "devices/usb_device.h"

namespace halvern::test {

/// Opens the command and notification interfaces of the attached devices into `device`, the receiver's or
/// the cable's, gives the device its identity and short reply time-outs. False when an interface is missing
/// or does not open.
inline bool OpenOverEmulator(HidBackend& backend, CMerivexUSBDevice& device, bool viaReceiver) {
    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    const auto claimed = claimNewInterfaces(probe, slots);
    if (!claimed || claimed->empty()) return false;
    for (const auto& c : *claimed) {
        CommandChannel& channel =
            c.role == interface_role::kCommand ? device.commandChannel() : device.notificationChannel();
        HidInterface& hid = viaReceiver ? channel.receiverInterface() : channel.cableInterface();
        if (!hid.Open(c.path, true, true, true, false)) return false;
        channel.setConnected(true);
        channel.SetMode(viaReceiver ? 2 : 1);
        if (c.role == interface_role::kCommand) device.SetIdentity(kInterfaceTable[c.slot]);
    }
    device.commandChannel().setTimeouts(300, 300);
    return true;
}

}  // namespace halvern::test
