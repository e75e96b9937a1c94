// The mouse's libinput properties on a real X server without libinput (Xvfb): the mouse is not among
// its input devices, so nothing is applied and the reason says so; an unreachable display says that.

#include <gtest/gtest.h>

#include "desktop/x11_pointer_device.h"

namespace halvern::desktop {
namespace {

TEST(X11PointerDevice, WithoutTheMouseAmongTheXDevicesNothingIsAppliedAndTheReasonSaysWhy) {
    X11PointerDevice device;
    const UsbIds mouse{0x1234, 0x5678};
    for (const PointerSetting s : {PointerSetting::Speed, PointerSetting::Precision}) {
        EXPECT_EQ(device.availability(s, mouse).reasonId, "pointer_reason_no_device");
        EXPECT_FALSE(device.apply(s, 15, mouse));
    }
    X11PointerDevice nowhere(":4093");  // no X server ever listens there here
    EXPECT_EQ(nowhere.availability(PointerSetting::Speed, mouse).reasonId, "pointer_reason_no_x");
    EXPECT_FALSE(nowhere.apply(PointerSetting::Speed, 15, mouse));
}

}  // namespace
}  // namespace halvern::desktop
