#pragma once

#include "devices/usb_device.h"

namespace halvern {

/// A mouse or keyboard page's device until its own class takes over: ready when the device behind the
/// receiver answers a link query (always on the cable).
class ReceiverAwareDevice : public CMerivexUSBDevice {
public:
    using CMerivexUSBDevice::CMerivexUSBDevice;

    [[nodiscard]] bool IsReady() override {
        CommandChannel& channel = commandChannel();
        if (!channel.connected()) return false;
        return !channel.receiverMode() || channel.QueryLink() == result::kSuccess;
    }
};

}  // namespace halvern
