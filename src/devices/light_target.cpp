#include "devices/light_target.h"

#include "device/supported_devices.h"
#include "devices/keyboard_device.h"
#include "devices/light_record_device.h"
#include "devices/mouse_device.h"
#include "lighting/light_mode_layout.h"

namespace halvern {

void LightTarget::selectCustomGroup(int, CMerivexUSBDevice::Done done) {
    device().queue().completeLater(done, {});
}

std::optional<SharedEffectSettings> SharedEffectOf(uint16_t typeCode, const LightSetting& light,
                                                   const LightModeLists& modes) {
    const uint16_t cable = cableTwin(typeCode);
    const auto effect = SharedEffectOfMode(cable, light.mode);
    if (!effect) return std::nullopt;
    const bool wheel = *effect == SharedEffect::Breathing || *effect == SharedEffect::Blink;
    const bool offered = light.mode < modes.values.size() &&
                         LightModeLayout(cable, modes.values[light.mode]).area(LightArea::Multicolour) ==
                             ControlState::Enabled;
    return SharedEffectSettings{*effect,
                                light.brightness,
                                light.speed,
                                light.direction,
                                wheel && offered && light.multiColor != 0,
                                Rgb{light.red, light.green, light.blue}};
}

std::optional<LightSetting> WithSharedEffect(uint16_t typeCode, LightSetting light,
                                             const SharedEffectSettings& shared) {
    const auto mode = ModeOfSharedEffect(cableTwin(typeCode), shared.effect);
    if (!mode) return std::nullopt;
    light.mode = static_cast<uint8_t>(*mode);
    light.brightness = shared.brightness;
    light.speed = shared.speed;
    light.direction = shared.direction;
    light.multiColor = shared.colourful ? 1 : 0;
    light.red = shared.colour.red;
    light.green = shared.colour.green;
    light.blue = shared.colour.blue;
    return light;
}

namespace {

/// What the mouse and the keyboard share: the audio light lives in the profile, and the effects follow it
/// when the light is loaded again.
template <class Device>
class KeyedLightTarget : public LightTarget {
public:
    explicit KeyedLightTarget(Device& device) : m_device(device) {}

    CMerivexUSBDevice& device() override { return m_device; }
    [[nodiscard]] const LightModeLists& lightModes() const override { return m_device.lightLists(); }
    [[nodiscard]] LightSetting light() const override { return m_device.settings().light; }
    [[nodiscard]] AudioLightInfo audioLight() override { return m_device.profile().GetAudioLightInfo(); }
    [[nodiscard]] bool changeAudioLight(const AudioLightInfo& info) override {
        m_device.profile().SetAudioLightInfo(info);
        const bool saved = m_device.SaveProfile();
        m_device.LoadLightSettings();  // the effects take the profile's light again
        return saved;
    }

protected:
    Device& m_device;
};

class MouseTarget final : public KeyedLightTarget<CMerivexMouseDevice> {
public:
    MouseTarget(CMerivexMouseDevice& mouse, ScreenPixels screen)
        : KeyedLightTarget(mouse), m_screen(std::move(screen)) {}

    void changeLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        send(light, std::move(done), true);
    }
    void showLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        send(light, std::move(done), false);
    }

private:
    void send(const LightSetting& light, CMerivexUSBDevice::Done done, bool persist) {
        const auto [width, height] = m_screen ? m_screen() : std::pair{1920, 1080};
        m_device.ChangeSettings([&light](MouseSettings& s) { s.light = light; }, width, height,
                                std::move(done), persist);
    }

    ScreenPixels m_screen;
};

class KeyboardTarget final : public KeyedLightTarget<CMerivexKeyboardDevice> {
public:
    using KeyedLightTarget::KeyedLightTarget;

    void changeLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        m_device.ChangeSettings([&light](KeyboardSettings& s) { s.light = light; }, std::move(done));
    }
    void showLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        m_device.ChangeSettings([&light](KeyboardSettings& s) { s.light = light; }, std::move(done), false);
    }
    void selectCustomGroup(int group, CMerivexUSBDevice::Done done) override {
        m_device.SetCustomGroup(group, std::move(done));
    }
};

class RecordTarget final : public KeyedLightTarget<CMerivexLightRecordDevice> {
public:
    using KeyedLightTarget::KeyedLightTarget;

    void changeLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        m_device.ChangeLight(light, std::move(done));
    }
    void showLight(const LightSetting& light, CMerivexUSBDevice::Done done) override {
        m_device.ChangeLight(light, std::move(done), false);
    }
};

}  // namespace

std::unique_ptr<LightTarget> MouseLightTarget(CMerivexMouseDevice& mouse, ScreenPixels screen) {
    return std::make_unique<MouseTarget>(mouse, std::move(screen));
}

std::unique_ptr<LightTarget> KeyboardLightTarget(CMerivexKeyboardDevice& keyboard) {
    return std::make_unique<KeyboardTarget>(keyboard);
}

}  // namespace halvern

namespace halvern {

std::unique_ptr<LightTarget> LightRecordTarget(CMerivexLightRecordDevice& device) {
    return std::make_unique<RecordTarget>(device);
}

}  // namespace halvern
