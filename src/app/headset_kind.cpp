// The headset: its device object and its page (the Lighting tab's operations are every kind's).

#include "app/device_kinds.h"
#include "devices/light_record_device.h"
#include "devices/light_target.h"
#include "ui/pages/light_only_page.h"

namespace halvern::app {

constinit const DeviceKindEntry kHeadsetKind{
    3,
    false,
    [](HidBackend& backend) -> std::unique_ptr<CMerivexUSBDevice> {
        return std::make_unique<CMerivexHS6533Device>(backend);
    },
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        auto& headset = static_cast<CMerivexHS6533Device&>(device);
        return new ui::LightOnlyPage(headset, LightRecordTarget(headset), c.loader, c.texts, c.parent);
    },
    {},
};

}  // namespace halvern::app
