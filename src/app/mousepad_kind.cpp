// The mouse pad: its device object and its page (the Lighting tab's operations are every kind's).

#include "app/device_kinds.h"
#include "devices/light_record_device.h"
#include "devices/light_target.h"
#include "ui/pages/light_only_page.h"

namespace halvern::app {

constinit const DeviceKindEntry kMousePadKind{
    2,
    false,
    [](HidBackend& backend) -> std::unique_ptr<CMerivexUSBDevice> {
        return std::make_unique<CMerivexMousePadDevice>(backend);
    },
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        auto& pad = static_cast<CMerivexMousePadDevice&>(device);
        return new ui::LightOnlyPage(pad, LightRecordTarget(pad), c.loader, c.texts, c.parent);
    },
    {},
    false,
};

}  // namespace halvern::app
