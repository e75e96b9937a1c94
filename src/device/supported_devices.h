#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace halvern {

/// Product family and way of attachment of an interface; also the key of the device kind table.
namespace type_code {
inline constexpr uint16_t kKeyboard = 1;
inline constexpr uint16_t kMouse = 2;
inline constexpr uint16_t kMousePad = 3;
inline constexpr uint16_t kMouseReceiver = 6;
inline constexpr uint16_t kHeadset = 7;
inline constexpr uint16_t kKeyboardReceiver = 9;
}  // namespace type_code

/// Role of an interface: the command collection or the consumer notification collection.
namespace interface_role {
inline constexpr uint16_t kCommand = 0;
inline constexpr uint16_t kNotification = 255;
}  // namespace interface_role

/// One row of the interface table: one HID collection of one product that the program accepts.
struct InterfaceRow {
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;  ///< 0 for an interface with a single top-level collection
    uint16_t typeCode = 0;
    uint16_t role = 0;
    uint16_t inUse = 0;  ///< always 0 in the table; set in the run-time device slot
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t partnerFlag = 0;  ///< 1 when the product also exists attached the other way
    uint16_t partnerSlot = 0;  ///< row of the same role for the other way of attachment
};

/// Rows are equal when identity, type code, role, usage page and usage agree; the in-use flag, the partner
/// fields and the path do not count. Decides which existing device page a slot belongs to.
[[nodiscard]] bool rowsEqual(const InterfaceRow& a, const InterfaceRow& b);

inline constexpr size_t kInterfaceTableSize = 11;
extern const std::array<InterfaceRow, kInterfaceTableSize> kInterfaceTable;

/// Per device kind: how its list entry and page are built.
struct DeviceKindRow {
    std::string_view listEntryLayout;
    std::string_view tabHeaderGroup;
    std::string_view powerSwitchName;
    std::string_view kindName;  ///< names the folder of the user's files and the default data file
    int kindId = 0;
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t typeCode = 0;
    uint16_t role = 0;
};

struct DevicePageRow {
    int ledCount = 0;
    int keyCount = 0;
    int powerDisplay = 0;
    int reserved = -1;
    std::string_view pageLayout;
    std::string_view lightConfigName;
};

inline constexpr size_t kDeviceKindCount = 4;
extern const std::array<DeviceKindRow, kDeviceKindCount> kDeviceKindTable;
extern const std::array<DevicePageRow, kDeviceKindCount> kDevicePageTable;

/// Models and the application for the update check; `placeholder` is filled in before a check.
struct VersionRow {
    int first = 0;
    int second = 0;
    int placeholder = 0;
    std::string_view brand;
    std::string_view model;
    std::string_view text3;
    std::string_view text4;
    std::string_view version;
};
inline constexpr size_t kVersionTableSize = 4;
extern const std::array<VersionRow, kVersionTableSize> kVersionTable;

/// Index of the device kind row with these four values, or -1. Receiver type codes (6, 9) have no row.
[[nodiscard]] int findKind(uint16_t vid, uint16_t pid, uint16_t typeCode, uint16_t role);

/// Index of the interface row whose VID, PID, type code and role equal these, or -1.
[[nodiscard]] int findInterfaceRow(uint16_t vid, uint16_t pid, uint16_t typeCode, uint16_t role);

/// Type code of the cable twin whose kind row serves a receiver-attached device (6 → 2, 9 → 1);
/// every other code is returned unchanged.
[[nodiscard]] uint16_t cableTwin(uint16_t typeCode);

/// The run-time copy of an interface row: in use once an interface is bound to it, with its path.
struct DeviceSlot {
    InterfaceRow row;
    std::string path;
    [[nodiscard]] bool isFree() const { return row.inUse == 0 && path.empty(); }
};
using DeviceSlotList = std::array<DeviceSlot, kInterfaceTableSize>;

/// A fresh slot list: every row of the interface table, free.
[[nodiscard]] DeviceSlotList makeDeviceSlotList();

/// Identity of an enumerated interface, before opening it.
struct InterfaceIdentity {
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collection = 0;
};

/// True when some table row has this identity and some slot with it is still free: worth opening.
[[nodiscard]] bool preOpenMatch(const DeviceSlotList& slots, const InterfaceIdentity& id);

/// Result of claiming an opened interface.
struct Claim {
    int slot = -1;  ///< the slot now in use, or -1 when nothing was claimed
    uint16_t typeCode = 0;
    uint16_t role = 0;
};

/// After opening: `id` carries the VID and PID from the device's attributes, usage page and usage of the
/// opened collection. Marks the first free slot with the same identity, usage page and usage as in use
/// with `path`. Nothing changes when the interface is not ours or every such slot is taken.
[[nodiscard]] Claim postOpenClaim(DeviceSlotList& slots, const InterfaceIdentity& id, uint16_t usagePage,
                                  uint16_t usage, std::string_view path);

}  // namespace halvern
