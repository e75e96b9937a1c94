#pragma once

#include <filesystem>

#include "emulator/memory_image.h"

namespace halvern::emu {

/// Loads the persistent regions of `image` from a state file written by saveStateFile. Every persistent
/// region must be present with exactly the size it has in `image`, and the file's check value must
/// match. Returns false and leaves `image` untouched when the file is missing, short, corrupt or made for
/// another configuration.
[[nodiscard]] bool loadStateFile(const std::filesystem::path& path, MemoryImage& image);

/// Writes the persistent regions of `image` (temporary file, then rename, so a crash never leaves half a
/// file). Returns false when the file cannot be written.
[[nodiscard]] bool saveStateFile(const std::filesystem::path& path, const MemoryImage& image);

}  // namespace halvern::emu
