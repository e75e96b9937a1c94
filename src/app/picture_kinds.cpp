// The mouse pad and the headset: until their own device classes exist, their pages show the device's
// picture over the device base.

#include "app/device_kinds.h"

namespace halvern::app {
namespace {

std::unique_ptr<CMerivexUSBDevice> makeBaseDevice(HidBackend& backend) {
    return std::make_unique<CMerivexUSBDevice>(backend);
}

ui::DevicePage* makePicturePage(CMerivexUSBDevice& device, const PageContext& c) {
    return new ui::DevicePage(device, c.loader, c.parent);
}

}  // namespace

constinit const DeviceKindEntry kMousePadKind{2, false, makeBaseDevice, makePicturePage, {}};
constinit const DeviceKindEntry kHeadsetKind{3, false, makeBaseDevice, makePicturePage, {}};

}  // namespace halvern::app
