// The headset: its device object, its page and the operations of its sound editors (the Lighting tab's
// operations are every kind's).

#include "app/device_kinds.h"
#include "devices/light_record_device.h"
#include "devices/light_target.h"
#include "devices/linux_audio/headset_sound_choice.h"
#include "ui/pages/headset_page.h"

namespace halvern::app {
namespace {

// An emulated headset comes with the emulated sound library, its calls in the emulator's capture, unless
// HALVERN_SOUND=server asks for the sound server; a real one always gets the sound server.
std::unique_ptr<CMerivexUSBDevice> makeHeadset(HidBackend& backend) {
    auto headset = std::make_unique<CMerivexHS6533Device>(backend);
    headset->SetAudioLibrary(audio::MakeHeadsetAudioLibrary(backend, audio::SoundChoiceFromEnvironment()));
    return headset;
}

ui::HeadsetPage& headsetPage(ui::DevicePage& page) {
    return static_cast<ui::HeadsetPage&>(page);
}

constexpr auto kHeadsetRoutes = std::to_array<PageRoute>({
    {Operation::EqOption,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         if (n.wParam != 0) headsetPage(p).EqOption(r.index);
     }},
    {Operation::EqSlider,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         headsetPage(p).EqBandMoved(r.index, static_cast<int>(n.wParam));
     }},
    {Operation::EqNameSelected,
     [](ui::DevicePage& p, const Route&, const ui::Notification& n) {
         headsetPage(p).EqNameChosen(static_cast<int>(n.wParam));
     }},
    {Operation::EqPresetButton,
     [](ui::DevicePage& p, const Route& r, const ui::Notification&) { headsetPage(p).EqButton(r.variant); }},
    {Operation::MicOption,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         headsetPage(p).MicOption(r.variant, n.wParam != 0);
     }},
    {Operation::MicSlider,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         headsetPage(p).MicSlider(r.variant, static_cast<int>(n.wParam));
     }},
    {Operation::MagicOption,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         headsetPage(p).MagicOption(r.index, n.wParam != 0);
     }},
    {Operation::SoundSwitch,
     [](ui::DevicePage& p, const Route& r,
        const ui::Notification& n) { headsetPage(p).SoundSwitch(r.variant, n.wParam != 0); }},
});

}  // namespace

constinit const DeviceKindEntry kHeadsetKind{
    3,
    false,
    makeHeadset,
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        auto& headset = static_cast<CMerivexHS6533Device&>(device);
        return new ui::HeadsetPage(headset, LightRecordTarget(headset), c.loader, c.texts, c.parent);
    },
    kHeadsetRoutes,
    true,
};

}  // namespace halvern::app
