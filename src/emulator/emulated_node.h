#pragma once

#include <memory>

#include "device/hid_backend.h"
#include "emulator/virtual_device.h"

namespace halvern::emu {

/// What both transports share: the node's identity and the control-pipe path to the device.
class EmulatedNode : public HidNode {
public:
    EmulatedNode(std::shared_ptr<VirtualDevice> device, uint16_t interfaceNumber, bool write)
        : m_device(std::move(device)), m_interface(interfaceNumber), m_write(write) {}

    [[nodiscard]] bool setOutputReport(std::span<const uint8_t> report) override {
        return m_write && m_device->takeControlReport(m_interface, report);
    }
    [[nodiscard]] std::vector<uint8_t> reportDescriptor() const override {
        const auto bytes = m_device->descriptor(m_interface);
        return {bytes.begin(), bytes.end()};
    }
    [[nodiscard]] HidAttributes attributes() const override { return m_device->attributes(); }
    [[nodiscard]] uint16_t interfaceNumber() const override { return m_interface; }
    /// As hidraw: a write may be held up (Faults::writeBlock), so the host writes from a thread of its own.
    [[nodiscard]] bool writeMayBlock() const override { return true; }

protected:
    /// Whether an output report may be written on this node at all (opened for writing, and an interface
    /// that has output reports).
    [[nodiscard]] bool mayWrite(std::span<const uint8_t> report) const {
        return m_write && m_device->takesOutput(m_interface) && !report.empty() &&
               report.size() <= kReportSize;
    }
    /// Holds the writing thread as a stalled USB pipe holds a hidraw write (Faults::writeBlock).
    void stallLikeThePipe() const { m_device->stallWrite(); }

    const std::shared_ptr<VirtualDevice> m_device;
    const uint16_t m_interface;
    const bool m_write;
};

}  // namespace halvern::emu
