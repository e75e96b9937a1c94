#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace halvern {

/// The device answers a key-table read with the table it holds now, which after the user's changes is no
/// longer the factory table: a remapped button would no longer be found at the next start. So the table
/// read the first time is kept in `file`, with the information block it came with, and used from then on
/// while the device's table has the same size and its information block is unchanged. A new firmware
/// (another information block) replaces the remembered table with the one read now. Returns the factory
/// table to use. A missing or unusable file is (re)written with `read`.
[[nodiscard]] std::vector<uint8_t> RememberFactoryTable(const std::filesystem::path& file,
                                                        std::vector<uint8_t> read,
                                                        std::span<const uint8_t> info);

/// Forgets the remembered table, so the next read is remembered afresh (after the device's assignments
/// went back to the factory ones).
void ForgetFactoryTable(const std::filesystem::path& file);

}  // namespace halvern
