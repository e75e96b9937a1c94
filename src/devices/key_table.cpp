#include "devices/key_table.h"

#include <algorithm>

namespace halvern::key_table {

std::vector<int> BuildKeyMap(std::span<const uint8_t> factoryTable, std::span<const Code> defaults) {
    std::vector<int> map(defaults.size(), kAbsent);
    const size_t slots = factoryTable.size() / kEntrySize;
    for (size_t key = 0; key < defaults.size(); ++key) {
        for (size_t slot = 0; slot < slots; ++slot) {
            if (std::equal(defaults[key].begin(), defaults[key].end(),
                           factoryTable.begin() + static_cast<std::ptrdiff_t>(slot * kEntrySize))) {
                map[key] = static_cast<int>(slot);
                break;
            }
        }
    }
    return map;
}

namespace {

bool present(std::span<const int> keyMap, size_t key) {
    return key < keyMap.size() && keyMap[key] != kAbsent;
}

}  // namespace

std::vector<uint8_t> UsedMacros(std::span<const KeyListEntry> entries, std::span<const int> keyMap,
                                size_t macroCount) {
    std::vector<uint8_t> used;
    for (size_t key = 0; key < entries.size(); ++key) {
        const KeyAssignment& a = entries[key].current;
        if (!present(keyMap, key) || !IsMacroType(a.type) || a.code1 >= macroCount) continue;
        if (std::find(used.begin(), used.end(), a.code1) == used.end()) used.push_back(a.code1);
    }
    return used;
}

bool ResetMissingMacros(std::vector<KeyListEntry>& entries, size_t macroCount) {
    bool changed = false;
    for (KeyListEntry& entry : entries) {
        if (IsMacroType(entry.current.type) && entry.current.code1 >= macroCount) {
            const uint16_t keyIndex = entry.current.keyIndex;
            entry.current = entry.defaults;
            entry.current.keyIndex = keyIndex;
            changed = true;
        }
    }
    return changed;
}

std::vector<uint8_t> Build(std::span<const uint8_t> factoryTable, std::span<const int> keyMap,
                           std::span<const KeyListEntry> entries, size_t macroCount) {
    std::vector<uint8_t> table(factoryTable.begin(), factoryTable.end());
    const std::vector<uint8_t> used = UsedMacros(entries, keyMap, macroCount);
    for (size_t key = 0; key < entries.size(); ++key) {
        if (!present(keyMap, key)) continue;
        const size_t at = static_cast<size_t>(keyMap[key]) * kEntrySize;
        if (at + kEntrySize > table.size()) continue;
        KeyAssignment a = entries[key].current;
        if (IsMacroType(a.type)) {
            if (a.code1 < macroCount) {
                a.code1 = static_cast<uint8_t>(std::find(used.begin(), used.end(), a.code1) - used.begin());
            } else {
                a = entries[key].defaults;
            }
        }
        table[at] = a.type;
        table[at + 1] = a.code1;
        table[at + 2] = a.code2;
    }
    return table;
}

bool DropMacro(std::vector<KeyListEntry>& entries, uint8_t k) {
    bool changed = false;
    for (KeyListEntry& entry : entries) {
        if (!IsMacroType(entry.current.type) || entry.current.code1 < k) continue;
        if (entry.current.code1 == k) {
            const uint16_t keyIndex = entry.current.keyIndex;
            entry.current = entry.defaults;
            entry.current.keyIndex = keyIndex;
        } else {
            --entry.current.code1;
        }
        changed = true;
    }
    return changed;
}

bool PlaysMacro(std::span<const KeyListEntry> entries, uint8_t k) {
    return std::any_of(entries.begin(), entries.end(), [k](const KeyListEntry& e) {
        return IsMacroType(e.current.type) && e.current.code1 == k;
    });
}

}  // namespace halvern::key_table
