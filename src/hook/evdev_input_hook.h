#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "hook/unique_fds.h"
#include "input/input_hook.h"

namespace halvern {

/// The input hook of a session without X (Wayland): the kernel's event devices of the keyboards and mice.
/// It reads only the devices the user may read (on most systems that takes membership of the "input"
/// group, which lets a program read every key typed: grant it knowingly). It cannot take keys away from
/// other programs, and it does not know where the pointer is, so the click that stops a recording is
/// recorded too when the stop button is clicked with the left button.
///
/// Null when `folder` holds no readable device with keys or mouse buttons.
[[nodiscard]] std::unique_ptr<InputHook> MakeEvdevInputHook(
    const std::filesystem::path& folder = "/dev/input");

/// The same over descriptors that deliver the kernel's input events (opened already; the hook owns them).
[[nodiscard]] std::unique_ptr<InputHook> MakeEvdevInputHookOver(std::vector<UniqueFd> devices);

}  // namespace halvern
