#pragma once

#include <memory>

#include "emulator/virtual_device.h"

namespace halvern::emu {

/// Opens a node backed by a socketpair(AF_UNIX, SOCK_SEQPACKET): pollFd() is the near end, one report per
/// packet, so host code polls, reads and writes a real descriptor. A firmware service thread on the far
/// end hands each output report to the device and sends input reports back when they are due. When the
/// device is gone the far end is shut down: the near end reports POLLHUP, reads and writes return -1.
/// Returns null when the socket pair or its eventfd cannot be made.
[[nodiscard]] std::unique_ptr<HidNode> openSocketNode(std::shared_ptr<VirtualDevice> device,
                                                      uint16_t interfaceNumber, bool write);

}  // namespace halvern::emu
