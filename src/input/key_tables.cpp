#include "input/key_tables.h"

namespace halvern {

int FindKeyRowByScan(uint8_t scan, bool extended) {
    for (int row = 0; row < kCapturableKeyRows; ++row) {
        const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
        if (key.scan == scan && key.extended == extended) return row;
    }
    return -1;
}

int FindKeyRowByUsage(uint8_t usage) {
    for (size_t row = kFirstPlainKeyRow; row < KeyCodeTable.size(); ++row) {
        const KeyCodeRow& key = KeyCodeTable[row];
        if (key.type == assign_type::kKeyboard && key.code1 == 0 && key.code2 == usage)
            return static_cast<int>(row);
    }
    return -1;
}

int FindModifierRow(uint8_t mask) {
    for (int row = 0; row < kFirstPlainKeyRow; ++row) {
        if (mask != 0 && KeyCodeTable[static_cast<size_t>(row)].code1 == mask) return row;
    }
    return -1;
}

std::string_view MouseActionName(uint8_t type, uint8_t button, bool down) {
    if (type == 1) {
        for (size_t row = 0; row < 10; ++row) {
            if (kMouseActionTable[row].button == button) return kMouseActionTable[row].name;
        }
    } else if (type == 4 || type == 5) {
        const uint8_t wanted = static_cast<uint8_t>(type | (down ? 0x80 : 0));
        for (size_t row = 10; row < 14; ++row) {
            if (kMouseActionTable[row].type == wanted) return kMouseActionTable[row].name;
        }
    }
    return {};
}

}  // namespace halvern
