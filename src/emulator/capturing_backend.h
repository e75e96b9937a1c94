#pragma once

#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "emulator/traffic_capture.h"

namespace halvern::emu {

/// Any backend, with every report that goes to or comes from its devices written to a capture file as the
/// emulator writes it ("OUT /dev/hidraw3 04 01 ..."), each under its node's path: what users attach to a
/// bug report, from their real devices.
class CapturingBackend final : public HidBackend {
public:
    CapturingBackend(std::unique_ptr<HidBackend> inner, std::shared_ptr<TrafficCapture> capture);

    [[nodiscard]] bool enumerate(std::vector<HidEnumEntry>& out) override { return m_inner->enumerate(out); }
    [[nodiscard]] std::unique_ptr<HidNode> openNode(std::string_view path, bool write) override;
    [[nodiscard]] int hotplugFd() override { return m_inner->hotplugFd(); }
    void drainHotplug() override { m_inner->drainHotplug(); }
    [[nodiscard]] std::string lockScope() const override { return m_inner->lockScope(); }

private:
    std::unique_ptr<HidBackend> m_inner;
    std::shared_ptr<TrafficCapture> m_capture;
};

}  // namespace halvern::emu
