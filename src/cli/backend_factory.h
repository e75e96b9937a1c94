#pragma once

#include <memory>
#include <ostream>

#include "cli/global_options.h"
#include "device/hid_backend.h"

namespace halvern::cli {

/// The real devices through udev, or the emulator with the devices of `--emulate` attached (over socket
/// pairs, so the same fd code runs as for hidraw). Null, with one line on `err`, when the emulator's
/// state folder or capture file cannot be used.
[[nodiscard]] std::unique_ptr<HidBackend> makeBackend(const GlobalOptions& options, std::ostream& err);

}  // namespace halvern::cli
