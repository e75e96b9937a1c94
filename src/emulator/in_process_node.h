#pragma once

#include <memory>

#include "emulator/virtual_device.h"

namespace halvern::emu {

/// Opens a node whose reports go to the firmware by direct call in the writer's thread. pollFd() is
/// readable while an input report is ready and always writable; once the device is gone it reports
/// POLLHUP and reads and writes return -1. (It is one end of a socket pair that carries only a readiness
/// token, so it can hang up, which an eventfd cannot.) Replies delayed by a latency fault are released by
/// a small timer thread that the node starts the first time it needs one. Null when no descriptor can be
/// had.
[[nodiscard]] std::unique_ptr<HidNode> openInProcessNode(std::shared_ptr<VirtualDevice> device,
                                                         uint16_t interfaceNumber, bool write);

}  // namespace halvern::emu
