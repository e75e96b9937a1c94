#pragma once

#include "device/hid_backend.h"

namespace halvern {

/// Real devices: the kernel's hidraw nodes, listed through libudev. Identity comes from the node's parents
/// (HID_ID of the hid device, bInterfaceNumber of the USB interface, bcdDevice of the USB device) and the
/// collections from the report descriptor.
class HidrawBackend final : public HidBackend {
public:
    HidrawBackend();
    ~HidrawBackend() override;
    HidrawBackend(const HidrawBackend&) = delete;
    HidrawBackend& operator=(const HidrawBackend&) = delete;

    [[nodiscard]] bool enumerate(std::vector<HidEnumEntry>& out) override;
    [[nodiscard]] std::unique_ptr<HidNode> openNode(std::string_view path, bool write) override;
    /// A udev monitor of the hidraw subsystem, made on first use.
    [[nodiscard]] int hotplugFd() override;
    void drainHotplug() override;
    /// Every program of the session reaches the same hidraw nodes.
    [[nodiscard]] std::string lockScope() const override { return "hidraw"; }

private:
    struct Monitor;
    std::unique_ptr<Monitor> m_monitor;
};

}  // namespace halvern
