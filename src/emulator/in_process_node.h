#pragma once

#include <memory>

#include "emulator/virtual_device.h"

namespace halvern::emu {

/// Opens a node whose reports go to the firmware by direct call in the writer's thread. pollFd() is an
/// eventfd: readable while an input report is ready (and once the device is gone, when reads and writes
/// return -1), always writable. Replies delayed by a latency fault are released by a small timer thread
/// that the node starts the first time it needs one.
[[nodiscard]] std::unique_ptr<HidNode> openInProcessNode(std::shared_ptr<VirtualDevice> device,
                                                         uint16_t interfaceNumber, bool write);

}  // namespace halvern::emu
