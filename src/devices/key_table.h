#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "profile/profile_records.h"

namespace halvern::key_table {

/// A key table entry: the three code bytes of one assignment (type, then two data bytes).
using Code = std::array<uint8_t, 3>;
inline constexpr size_t kEntrySize = 3;
/// A logical key that the device's factory table does not hold.
inline constexpr int kAbsent = -1;

/// Where each logical key sits in the device's key table: the first slot whose factory entry equals the
/// key's default code, or kAbsent. A table shorter than a whole entry holds no slot there.
[[nodiscard]] std::vector<int> BuildKeyMap(std::span<const uint8_t> factoryTable,
                                           std::span<const Code> defaults);

[[nodiscard]] constexpr bool IsMacroType(uint8_t type) {
    return type == 0x70 || type == 0x71;
}

/// The distinct macro numbers used by present keys, in first-use order over the logical keys: the order in
/// which the macros are packed into the device's macro memory. Only numbers below `macroCount` count.
[[nodiscard]] std::vector<uint8_t> UsedMacros(std::span<const KeyListEntry> entries,
                                              std::span<const int> keyMap, size_t macroCount);

/// Resets every macro assignment whose macro number is not below `macroCount` to the key's default.
/// True when anything changed.
bool ResetMissingMacros(std::vector<KeyListEntry>& entries, size_t macroCount);

/// Macro `k` is gone from the list: keys that played it get their default back, keys playing a later
/// macro play the same macro at its new number (one less). True when anything changed.
bool DropMacro(std::vector<KeyListEntry>& entries, uint8_t k);

/// Whether any key plays macro `k`.
[[nodiscard]] bool PlaysMacro(std::span<const KeyListEntry> entries, uint8_t k);

/// The key table to write: the factory table with each present key's current assignment in its slot.
/// Macro numbers become positions in UsedMacros; assignments of missing macros are written as the key's
/// default. Absent keys, and slots past the end of the table, are never touched.
[[nodiscard]] std::vector<uint8_t> Build(std::span<const uint8_t> factoryTable, std::span<const int> keyMap,
                                         std::span<const KeyListEntry> entries, size_t macroCount);

}  // namespace halvern::key_table
