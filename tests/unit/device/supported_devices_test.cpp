#include "device/supported_devices.h"

#include <gtest/gtest.h>

#include <set>

#include "device/kind_registry.h"

namespace halvern {
namespace {

TEST(SupportedDevices, TablesAreConsistent) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const auto& row = kInterfaceTable[i];
        EXPECT_EQ(row.inUse, 0);
        if (row.partnerFlag) {
            ASSERT_LT(row.partnerSlot, kInterfaceTable.size());
            const auto& partner = kInterfaceTable[row.partnerSlot];
            EXPECT_EQ(partner.role, row.role) << i;
            EXPECT_EQ(partner.partnerSlot, i) << i;
            EXPECT_EQ(cableTwin(partner.typeCode), cableTwin(row.typeCode)) << i;
        }
        for (size_t j = i + 1; j < kInterfaceTable.size(); ++j)
            EXPECT_FALSE(rowsEqual(row, kInterfaceTable[j]));
    }
    std::set<int> kindIds;
    for (size_t k = 0; k < kDeviceKindTable.size(); ++k) {
        const auto& kind = kDeviceKindTable[k];
        kindIds.insert(kind.kindId);
        // Every kind has its command interface in the interface table.
        EXPECT_GE(findInterfaceRow(kind.vid, kind.pid, kind.typeCode, interface_role::kCommand), 0);
    }
    EXPECT_EQ(kindIds.size(), kDeviceKindCount);
    EXPECT_EQ(kDevicePageTable[0].ledCount, 6);
    EXPECT_EQ(kDevicePageTable[1].keyCount, 170);
}

TEST(SupportedDevices, LookupsByProductTypeAndRole) {
    EXPECT_EQ(findKind(0x320F, 0x221C, type_code::kMouse, 0), 0);
    EXPECT_EQ(findKind(0x0C76, 0x1630, type_code::kHeadset, 0), 3);
    // Receiver-attached devices are shown with their cable twin's page.
    EXPECT_EQ(findKind(0x320F, 0x221D, type_code::kMouseReceiver, 0), -1);
    EXPECT_EQ(findKind(0x320F, 0x5001, type_code::kKeyboardReceiver, 0), -1);
    EXPECT_EQ(cableTwin(type_code::kKeyboardReceiver), type_code::kKeyboard);
    EXPECT_EQ(findInterfaceRow(0x320F, 0x221D, type_code::kMouseReceiver, 255), 7);
    EXPECT_EQ(findInterfaceRow(0x320F, 0x221D, type_code::kMouse, 0), -1);

    InterfaceRow a = kInterfaceTable[4];
    a.inUse = 1;
    a.partnerSlot = 9;
    EXPECT_TRUE(rowsEqual(a, kInterfaceTable[4]));  // in-use and partner fields take no part
    a.usage = 1;
    EXPECT_FALSE(rowsEqual(a, kInterfaceTable[4]));
}

TEST(SupportedDevices, ClaimTakesTheFirstFreeMatchingSlotOnce) {
    DeviceSlotList slots = makeDeviceSlotList();
    const InterfaceIdentity mouseCommand{0x320F, 0x221C, 1, 4};
    EXPECT_TRUE(preOpenMatch(slots, mouseCommand));
    EXPECT_FALSE(preOpenMatch(slots, {0x320F, 0x221C, 0, 4}));  // another USB interface
    EXPECT_FALSE(preOpenMatch(slots, {0x1234, 0x221C, 1, 4}));

    // Same identity, but the collection's usage is not the command usage: not ours.
    Claim none = postOpenClaim(slots, mouseCommand, 0xFF1C, 0x0093, "/dev/hidraw1#4");
    EXPECT_EQ(none.slot, -1);
    EXPECT_TRUE(slots[4].isFree());

    Claim claim = postOpenClaim(slots, mouseCommand, 0xFF1C, 0x0092, "/dev/hidraw1#4");
    EXPECT_EQ(claim.slot, 4);
    EXPECT_EQ(claim.typeCode, type_code::kMouse);
    EXPECT_EQ(claim.role, interface_role::kCommand);
    EXPECT_EQ(slots[4].path, "/dev/hidraw1#4");
    EXPECT_EQ(slots[4].row.inUse, 1);

    // A second identical mouse finds no free slot.
    EXPECT_FALSE(preOpenMatch(slots, mouseCommand));
    EXPECT_EQ(postOpenClaim(slots, mouseCommand, 0xFF1C, 0x0092, "/dev/hidraw5#4").slot, -1);
    EXPECT_EQ(slots[4].path, "/dev/hidraw1#4");
}

TEST(SupportedDevices, OnlyTheHeadsetMatchesCollectionZero) {
    DeviceSlotList slots = makeDeviceSlotList();
    EXPECT_FALSE(preOpenMatch(slots, {0x320F, 0x221C, 1, 0}));
    const InterfaceIdentity headset{0x0C76, 0x1630, 3, 0};
    ASSERT_TRUE(preOpenMatch(slots, headset));
    EXPECT_EQ(postOpenClaim(slots, headset, 0x000C, 0x0001, "/dev/hidraw7").slot, 10);
}

}  // namespace
}  // namespace halvern

namespace halvern {
namespace {

// Every kind's names and type codes agree with the supported-device tables, so that the command line, the
// bus, the RGB server and the window find the same device under one name.
TEST(KindRegistry, AgreesWithTheDeviceTables) {
    ASSERT_EQ(deviceKindInfos().size(), kDeviceKindTable.size());
    for (const DeviceKindInfo& kind : deviceKindInfos()) {
        SCOPED_TRACE(std::string(kind.name));
        EXPECT_EQ(findKindByIndex(kind.kindIndex), &kind);
        EXPECT_EQ(findKindByName(kind.name), &kind);
        EXPECT_EQ(kind.kindRow().typeCode, kind.cableType);
        EXPECT_EQ(findKindByType(kind.cableType), &kind);
        if (kind.hasReceiver()) {
            EXPECT_EQ(findKindByType(kind.receiverType), &kind);
            EXPECT_EQ(cableTwin(kind.receiverType), kind.cableType);
        }
        // Every kind has an interface row of its own on the cable.
        EXPECT_GE(
            findInterfaceRow(kind.kindRow().vid, kind.kindRow().pid, kind.cableType, kind.kindRow().role), 0);
    }
    EXPECT_EQ(findKindByName("mousepad")->dataFolder(), "MousePad");
    EXPECT_EQ(kindDisplayText("mousepad"), "mouse pad");
    EXPECT_EQ(kindDisplayText("printer"), "printer");
    EXPECT_EQ(findKindByName("Mouse"), nullptr);
    EXPECT_EQ(findKindByIndex(4), nullptr);
    EXPECT_EQ(findKindByIndex(-1), nullptr);
    EXPECT_EQ(findKindByType(0), nullptr);
    EXPECT_FALSE(findKindByName("headset")->hasKeys());
    EXPECT_TRUE(findKindByName("keyboard")->hasKeys());
}

}  // namespace
}  // namespace halvern
