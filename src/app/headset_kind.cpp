// The headset: its device object and its page (the Lighting tab's operations are every kind's).

#include "app/device_kinds.h"
#include "devices/emulated_audio_library.h"
#include "devices/light_record_device.h"
#include "devices/light_target.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "emulator/emulator.h"
#include "emulator/traffic_capture.h"
#include "ui/pages/light_only_page.h"

namespace halvern::app {
namespace {

// An emulated headset comes with the emulated sound library, its calls in the emulator's capture; a real
// one with the system's sound server.
std::unique_ptr<CMerivexUSBDevice> makeHeadset(HidBackend& backend) {
    auto headset = std::make_unique<CMerivexHS6533Device>(backend);
    if (const auto* emulator = dynamic_cast<const emu::Emulator*>(&backend)) {
        audio::EmulatedAudioLibrary::LineSink sink;
        if (auto capture = emulator->capture())
            sink = [capture](std::string_view line) { capture->recordLine(line); };
        headset->SetAudioLibrary(audio::EmulatedAudioLibrary::Headset(std::move(sink)));
    } else {
        headset->SetAudioLibrary(std::make_unique<audio::LinuxAudioLibrary>());
    }
    return headset;
}

}  // namespace

constinit const DeviceKindEntry kHeadsetKind{
    3,
    false,
    makeHeadset,
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        auto& headset = static_cast<CMerivexHS6533Device&>(device);
        return new ui::LightOnlyPage(headset, LightRecordTarget(headset), c.loader, c.texts, c.parent);
    },
    {},
};

}  // namespace halvern::app
