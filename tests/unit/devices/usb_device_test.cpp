#include "devices/usb_device.h"

#include <gtest/gtest.h>

#include <latch>

#include "fake_hid.h"

namespace halvern {
namespace {

class UsbDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = std::make_shared<test::FakeDevice>(test::productDescriptor(),
                                                    HidAttributes{0x320F, 0x5055, 1}, 1);
        device->responder = [](const test::Report& r) {
            test::Report reply(r.begin(), r.end());
            reply.resize(64);
            return std::vector<test::Report>{reply};
        };
        backend.nodes["/dev/hidraw1"] = device;
        page.SetLedCount(4);
        page.SetIdentity(kInterfaceTable[0]);  // cable keyboard, command interface
        CommandChannel& channel = page.commandChannel();
        ASSERT_TRUE(channel.cableInterface().Open("/dev/hidraw1#4", true, true, true, false));
        channel.SetMode(1);
        channel.setConnected(true);
    }
    // Waits until the device's queue has run everything it was given.
    void passQueue() {
        ASSERT_TRUE(page.Await([this](CMerivexUSBDevice::Done done) {
            page.queue().submit([](CommandChannel&) { return DeviceResult{}; }, std::move(done));
        }));
    }

    test::FakeBackend backend;
    std::shared_ptr<test::FakeDevice> device;
    CMerivexUSBDevice page{backend};
};

// An Await that gave up leaves its operation running; the operation's late answer comes up during the
// next Await, which must still wait for its own.
TEST_F(UsbDeviceTest, TheLateAnswerOfAnAwaitThatGaveUpIsNotTakenForTheNextOne) {
    std::latch release(1);
    std::latch lateAnswerRan(1);
    const DeviceResult gaveUp = page.Await(
        [&](CMerivexUSBDevice::Done done) {
            page.queue().submit(
                [&release](CommandChannel&) {
                    release.wait();
                    return DeviceResult::Refused(DeviceStep::Settings);
                },
                [&lateAnswerRan, done](DeviceResult r) {
                    done(r);
                    lateAnswerRan.count_down();
                });
        },
        std::chrono::milliseconds(1));
    EXPECT_EQ(gaveUp.step(), DeviceStep::None);
    EXPECT_FALSE(gaveUp);
    release.count_down();
    const DeviceResult next = page.Await([&](CMerivexUSBDevice::Done done) {
        // Answers only once the late answer was handled, so the two never come up together.
        page.queue().submit(
            [&lateAnswerRan](CommandChannel&) {
                lateAnswerRan.wait();
                return DeviceResult{};
            },
            std::move(done));
    });
    EXPECT_TRUE(next) << describe(next);
}

TEST_F(UsbDeviceTest, LedColoursStayWithinTheLedCount) {
    page.SetLedColour(3, 0x11223344);
    page.SetLedColour(4, 0xFFFFFFFF);
    page.SetLedColour(-1, 0xFFFFFFFF);
    EXPECT_EQ(page.GetLedColour(3), 0x11223344u);
    EXPECT_EQ(page.GetLedColour(4), 0u);
    EXPECT_EQ(page.GetLedColour(-1), 0u);
    page.SetLedCount(4);  // the same count still clears the frame
    EXPECT_EQ(page.GetLedColour(3), 0u);
    page.SetLedCount(100000);
    EXPECT_EQ(page.ledCount(), 170);
}

TEST_F(UsbDeviceTest, FrameIsStreamedOnlyInTheSoftwareModeUnderLightControl) {
    page.SetLedColour(0, 0x80'0000FF);  // red 255 at alpha 128
    page.SetLedColour(1, 0xFF'FF8000);  // blue 255, green 128 at full alpha
    const auto buffer = page.frameBuffer();
    EXPECT_EQ(buffer[0], 127);  // 255 × 128 ÷ 256
    EXPECT_EQ(buffer[4], 127);
    EXPECT_EQ(buffer[5], 254);

    page.SendLightFrame();  // mode 0: the device shows its own effect
    BaseLightSettings light;
    light.mode = CMerivexUSBDevice::kSoftwareLightMode;
    page.SetLightSettings(light);
    device->written.clear();
    page.SetLightControl(false);
    page.SendLightFrame();
    passQueue();
    EXPECT_TRUE(device->written.empty());

    page.SetLightControl(true);  // a cable keyboard is told the application takes the lights
    passQueue();
    ASSERT_EQ(device->written.size(), 1u);
    EXPECT_EQ(device->written[0][3], command::kAnnounceLightControl);
    page.SendLightFrame();
    passQueue();
    ASSERT_EQ(device->written.size(), 2u);
    EXPECT_EQ(device->written[1][3], command::kStreamLightFrame);
    EXPECT_EQ(device->written[1][4], 12);  // 4 LEDs × 3 bytes
}

TEST_F(UsbDeviceTest, FailedStreamPausesWithoutBlockingTheCaller) {
    BaseLightSettings light;
    light.mode = CMerivexUSBDevice::kSoftwareLightMode;
    page.SetLightSettings(light);
    {
        std::scoped_lock lock(device->mutex);
        device->failWrites = true;
    }
    page.SendLightFrame();
    passQueue();
    EXPECT_EQ(page.queue().stats().failedFrames, 1u);
    {
        std::scoped_lock lock(device->mutex);
        device->failWrites = false;
        device->written.clear();
    }
    page.SendLightFrame();  // within the pause: dropped, not even tried
    passQueue();
    EXPECT_TRUE(device->written.empty());
}

TEST_F(UsbDeviceTest, AKeyboardBehindItsReceiverIsNotToldAboutLightControl) {
    // The page of a receiver link carries the cable row's identity: the link itself decides.
    CommandChannel& channel = page.commandChannel();
    channel.cableInterface().Close();
    ASSERT_TRUE(channel.receiverInterface().Open("/dev/hidraw1#4", true, true, true, false));
    channel.SetMode(2);
    page.SetLightControl(true);
    passQueue();
    EXPECT_TRUE(device->written.empty());
}

TEST_F(UsbDeviceTest, WindowHiddenIsKeptOnlyForPagesThatShowPower) {
    page.SetWindowHidden(true);
    EXPECT_FALSE(page.windowHidden());
    page.SetPowerFlag(true);
    page.SetWindowHidden(true);
    EXPECT_TRUE(page.windowHidden());
}

}  // namespace
}  // namespace halvern
