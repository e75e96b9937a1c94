#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace halvern {

/// The device answers a key-table read with the table it holds now, which after the user's changes is no
/// longer the factory table: a remapped button would no longer be found at the next start. So the table
/// read the first time is kept in `file` and used from then on while the device's table has the same size.
/// Returns the factory table to use. A missing or unusable file is (re)written with `read`.
[[nodiscard]] std::vector<uint8_t> RememberFactoryTable(const std::filesystem::path& file, std::vector<uint8_t> read);

}  // namespace halvern
