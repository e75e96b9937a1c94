#include "device/supported_devices.h"

namespace halvern {
namespace {

constexpr uint16_t kVendor = 0x320F;
constexpr uint16_t kHeadsetVendor = 0x0C76;
constexpr uint16_t kCommandPage = 0xFF1C;
constexpr uint16_t kCommandUsage = 0x0092;
constexpr uint16_t kConsumerPage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x0001;

using namespace type_code;
using namespace interface_role;

bool sameIdentity(const InterfaceRow& row, const InterfaceIdentity& id) {
    return row.vid == id.vid && row.pid == id.pid && row.collection == id.collection &&
           row.interfaceNumber == id.interfaceNumber;
}

}  // namespace

// clang-format off
const std::array<InterfaceRow, kInterfaceTableSize> kInterfaceTable{{
    // vid          pid     if col type               role           use page          usage           partner
    {kVendor,       0x5055, 1, 4, kKeyboard,         kCommand,      0, kCommandPage,  kCommandUsage,  1, 2},
    {kVendor,       0x5055, 1, 3, kKeyboard,         kNotification, 0, kConsumerPage, kConsumerUsage, 1, 3},
    {kVendor,       0x5001, 1, 4, kKeyboardReceiver, kCommand,      0, kCommandPage,  kCommandUsage,  1, 0},
    {kVendor,       0x5001, 1, 3, kKeyboardReceiver, kNotification, 0, kConsumerPage, kConsumerUsage, 1, 1},
    {kVendor,       0x221C, 1, 4, kMouse,            kCommand,      0, kCommandPage,  kCommandUsage,  1, 6},
    {kVendor,       0x221C, 1, 3, kMouse,            kNotification, 0, kConsumerPage, kConsumerUsage, 1, 7},
    {kVendor,       0x221D, 1, 4, kMouseReceiver,    kCommand,      0, kCommandPage,  kCommandUsage,  1, 4},
    {kVendor,       0x221D, 1, 3, kMouseReceiver,    kNotification, 0, kConsumerPage, kConsumerUsage, 1, 5},
    {kVendor,       0x1004, 1, 4, kMousePad,         kCommand,      0, kCommandPage,  kCommandUsage,  0, 0},
    {kVendor,       0x1004, 1, 3, kMousePad,         kNotification, 0, kConsumerPage, kConsumerUsage, 0, 0},
    {kHeadsetVendor, 0x1630, 3, 0, kHeadset,         kCommand,      0, kConsumerPage, kConsumerUsage, 0, 0},
}};

const std::array<DeviceKindRow, kDeviceKindCount> kDeviceKindTable{{
    {"device_option.ui", "tab_header_device", "device_power_switch", "mouse",    1, kVendor,        0x221C, kMouse,    kCommand},
    {"device_option.ui", "tab_header_device", "device_power_switch", "keyboard", 0, kVendor,        0x5055, kKeyboard, kCommand},
    {"device_option.ui", "tab_header_device", "device_power_switch", "MousePad", 2, kVendor,        0x1004, kMousePad, kCommand},
    {"device_option.ui", "tab_header_device", "device_power_switch", "HD",       3, kHeadsetVendor, 0x1630, kHeadset,  kCommand},
}};

const std::array<DevicePageRow, kDeviceKindCount> kDevicePageTable{{
    {6,   11,  1, -1, "mouse_device.ui",    "zantor_light"},
    {170, 170, 0, -1, "keyboard_device.ui", "zantor_light"},
    {15,  0,   0, -1, "mousepad_device.ui", "zantor_light"},
    {13,  0,   0, -1, "hs6533_device.ui",   "zantor_light"},
}};

const std::array<VersionRow, kVersionTableSize> kVersionTable{{
    {1, 1, 0, "ZANTOR", "QD44M2",  "MS",      "MS", ""},
    {1, 1, 0, "ZANTOR", "QD44K2",  "KB",      "KB", ""},
    {2, 1, 0, "ZANTOR", "QD31K_1", "RZ4",     "RZ4", ""},
    {0, 1, 0, "ZANTOR", "ALL",     "Halvern", "AP", "V1.0.0.0"},
}};
// clang-format on

bool rowsEqual(const InterfaceRow& a, const InterfaceRow& b) {
    return a.vid == b.vid && a.pid == b.pid && a.interfaceNumber == b.interfaceNumber &&
           a.collection == b.collection && a.typeCode == b.typeCode && a.role == b.role &&
           a.usagePage == b.usagePage && a.usage == b.usage;
}

int findKind(uint16_t vid, uint16_t pid, uint16_t typeCode, uint16_t role) {
    for (size_t i = 0; i < kDeviceKindTable.size(); ++i) {
        const auto& k = kDeviceKindTable[i];
        if (k.vid == vid && k.pid == pid && k.typeCode == typeCode && k.role == role)
            return static_cast<int>(i);
    }
    return -1;
}

int findInterfaceRow(uint16_t vid, uint16_t pid, uint16_t typeCode, uint16_t role) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const auto& r = kInterfaceTable[i];
        if (r.vid == vid && r.pid == pid && r.typeCode == typeCode && r.role == role)
            return static_cast<int>(i);
    }
    return -1;
}

uint16_t cableTwin(uint16_t typeCode) {
    if (typeCode == kMouseReceiver) return kMouse;
    if (typeCode == kKeyboardReceiver) return kKeyboard;
    return typeCode;
}

DeviceSlotList makeDeviceSlotList() {
    DeviceSlotList slots;
    for (size_t i = 0; i < slots.size(); ++i) slots[i].row = kInterfaceTable[i];
    return slots;
}

bool preOpenMatch(const DeviceSlotList& slots, const InterfaceIdentity& id) {
    bool known = false;
    for (const auto& row : kInterfaceTable) known = known || sameIdentity(row, id);
    if (!known) return false;
    for (const auto& slot : slots) {
        if (sameIdentity(slot.row, id) && slot.isFree()) return true;
    }
    return false;
}

Claim postOpenClaim(DeviceSlotList& slots, const InterfaceIdentity& id, uint16_t usagePage, uint16_t usage,
                    std::string_view path) {
    Claim claim;
    const InterfaceRow* match = nullptr;
    for (const auto& row : kInterfaceTable) {
        if (sameIdentity(row, id) && row.usagePage == usagePage && row.usage == usage) {
            match = &row;
            break;
        }
    }
    if (!match) return claim;
    claim.typeCode = match->typeCode;
    claim.role = match->role;
    for (size_t i = 0; i < slots.size(); ++i) {
        DeviceSlot& slot = slots[i];
        if (sameIdentity(slot.row, id) && slot.row.usagePage == usagePage && slot.row.usage == usage &&
            slot.isFree()) {
            slot.row.inUse = 1;
            slot.path = std::string(path);
            claim.slot = static_cast<int>(i);
            return claim;
        }
    }
    return claim;
}

}  // namespace halvern
