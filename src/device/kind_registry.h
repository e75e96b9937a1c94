#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "device/supported_devices.h"

namespace halvern {

/// One kind of device (mouse, keyboard, mouse pad, headset) and every name it goes by. This is the one
/// table that names the kinds: the command line's word, the bus object, the emulator, the RGB server and
/// the messages all read it, and what the supported-device tables hold about a kind (its data folder, its
/// type code, its key and LED counts) is reached through `kindIndex`.
struct DeviceKindInfo {
    std::string_view name;         ///< the word that names it to people and programs: "mousepad"
    std::string_view displayName;  ///< in an English sentence: "mouse pad"
    int kindIndex = -1;            ///< its row of kDeviceKindTable and kDevicePageTable
    uint16_t cableType = 0;        ///< type code of its command interface on a cable
    uint16_t receiverType = 0;     ///< type code through its receiver; 0 when it has no receiver form

    /// Its row of the device kind table (folder of the user's files, identity) and of the page table.
    [[nodiscard]] const DeviceKindRow& kindRow() const {
        return kDeviceKindTable[static_cast<size_t>(kindIndex)];
    }
    [[nodiscard]] const DevicePageRow& pageRow() const {
        return kDevicePageTable[static_cast<size_t>(kindIndex)];
    }
    /// The folder of the user's files and name of the default data file ("MousePad", "HD").
    [[nodiscard]] std::string_view dataFolder() const { return kindRow().kindName; }
    [[nodiscard]] int ledCount() const { return pageRow().ledCount; }
    [[nodiscard]] int keyCount() const { return pageRow().keyCount; }
    [[nodiscard]] bool hasReceiver() const { return receiverType != 0; }
    [[nodiscard]] bool hasKeys() const { return keyCount() > 0; }
};

/// Every kind, in the order of the device kind table (kindIndex 0, 1, 2, 3).
[[nodiscard]] std::span<const DeviceKindInfo> deviceKindInfos();
/// The kind of a name ("mousepad"); null for any other word.
[[nodiscard]] const DeviceKindInfo* findKindByName(std::string_view name);
/// The kind of a row of the kind tables; null outside them.
[[nodiscard]] const DeviceKindInfo* findKindByIndex(int kindIndex);
/// The kind whose cable or receiver command interface has this type code; null for other codes.
[[nodiscard]] const DeviceKindInfo* findKindByType(uint16_t typeCode);
/// The kind's sentence name, or the word itself for a word that names no kind.
[[nodiscard]] std::string_view kindDisplayText(std::string_view name);

}  // namespace halvern
