#include "device/interface_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "device/hidraw_backend.h"
#include "fake_hid.h"

namespace halvern {
namespace {

TEST(InterfaceScan, ClaimsBothInterfacesOfAProductOnce) {
    test::FakeBackend backend;
    auto mouse =
        std::make_shared<test::FakeDevice>(test::productDescriptor(), HidAttributes{0x320F, 0x221C, 1}, 1);
    auto stranger =
        std::make_shared<test::FakeDevice>(test::productDescriptor(), HidAttributes{0x046D, 0xC52B, 1}, 1);
    backend.nodes["/dev/hidraw0"] = stranger;
    backend.nodes["/dev/hidraw1"] = mouse;
    backend.nodes["/dev/hidraw2"] = mouse;  // a second, identical mouse

    DeviceSlotList slots = makeDeviceSlotList();
    HidInterface probe(backend);
    auto claimed = claimNewInterfaces(probe, slots);
    ASSERT_TRUE(claimed);
    ASSERT_EQ(claimed->size(), 2u);
    EXPECT_EQ((*claimed)[0].slot, 5);  // collection 3: notification
    EXPECT_EQ((*claimed)[0].role, interface_role::kNotification);
    EXPECT_EQ((*claimed)[1].slot, 4);  // collection 4: command
    EXPECT_EQ((*claimed)[1].path, "/dev/hidraw1#4");
    EXPECT_FALSE(probe.isOpen());

    // Nothing new on the next pass: the slots stay with the first mouse.
    claimed = claimNewInterfaces(probe, slots);
    ASSERT_TRUE(claimed);
    EXPECT_TRUE(claimed->empty());

    backend.failEnumeration = true;
    EXPECT_FALSE(claimNewInterfaces(probe, slots));
}

TEST(InterfaceScan, UdevListingOfAMachineWithoutHidDevicesIsEmpty) {
    std::error_code ec;
    const bool anyHidraw = std::filesystem::exists("/sys/class/hidraw", ec) &&
                           !std::filesystem::is_empty("/sys/class/hidraw", ec);
    if (anyHidraw) GTEST_SKIP() << "this machine has HID devices";
    HidrawBackend backend;
    std::vector<HidEnumEntry> entries;
    EXPECT_TRUE(backend.enumerate(entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(backend.openNode("/dev/hidraw0#4", true), nullptr);
}

}  // namespace
}  // namespace halvern
