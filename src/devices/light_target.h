#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "devices/usb_device.h"
#include "lighting/shared_effect.h"
#include "profile/light_mode_lists.h"
#include "profile/profile_records.h"

namespace halvern {

class CMerivexMouseDevice;
class CMerivexKeyboardDevice;
class CMerivexLightRecordDevice;

/// A device whose light settings a light editor (or the command line) changes: it gives its current light
/// setting record, takes a changed one back (stored in the profile, applied to the effects and sent as the
/// device's settings record, the profile saved once the device took it), and keeps the audio-reactive
/// light's record. Used on the device object's owner thread.
class LightTarget {
public:
    virtual ~LightTarget() = default;

    [[nodiscard]] virtual CMerivexUSBDevice& device() = 0;
    /// The device's light modes (names, visible flags, device values).
    [[nodiscard]] virtual const LightModeLists& lightModes() const = 0;
    [[nodiscard]] virtual LightSetting light() const = 0;
    /// Stores, applies and sends `light`; `done` gets the device's answer. A refusal brings the previous
    /// record back.
    virtual void changeLight(const LightSetting& light, CMerivexUSBDevice::Done done) = 0;
    /// Applies and sends `light` as changeLight does, without writing the profile file: a light the device
    /// shows for a while (a program outside drives it), until changeLight gives it back its own.
    virtual void showLight(const LightSetting& light, CMerivexUSBDevice::Done done) = 0;
    [[nodiscard]] virtual AudioLightInfo audioLight() = 0;
    /// Stores the audio light record in the profile, saves it and applies it; false when the profile file
    /// could not be written (the record is kept in the working profile).
    [[nodiscard]] virtual bool changeAudioLight(const AudioLightInfo& info) = 0;
    /// The keyboard's custom colour group; other devices finish at once with success.
    virtual void selectCustomGroup(int group, CMerivexUSBDevice::Done done);
    /// The highest brightness and speed levels.
    [[nodiscard]] virtual int brightnessMax() const { return 4; }
    [[nodiscard]] virtual int speedMax() const { return 4; }
};

/// The shared effect `light` runs on a device of `typeCode` (receiver codes as their cable twins) whose
/// modes are `modes`, with its brightness, speed, direction and colour; nothing when its mode has none.
/// The multicolour flag is taken only where it means something: the source's mode offers it (a mode that
/// greys it out leaves a stale flag behind) and the shared effect draws from the colour wheel with it.
[[nodiscard]] std::optional<SharedEffectSettings> SharedEffectOf(uint16_t typeCode, const LightSetting& light,
                                                                 const LightModeLists& modes);
/// `light` changed to run `shared` on a device of `typeCode`: the kind's mode for the effect and the shared
/// levels, direction, multicolour flag and colour. Nothing for a kind without a mapping.
[[nodiscard]] std::optional<LightSetting> WithSharedEffect(uint16_t typeCode, LightSetting light,
                                                           const SharedEffectSettings& shared);

/// The screen's width and height in pixels, asked for whenever a mouse record is built.
using ScreenPixels = std::function<std::pair<int, int>()>;
/// The light target of a mouse; its records carry the screen size `screen` gives (1920 × 1080 without one).
[[nodiscard]] std::unique_ptr<LightTarget> MouseLightTarget(CMerivexMouseDevice& mouse, ScreenPixels screen);
[[nodiscard]] std::unique_ptr<LightTarget> KeyboardLightTarget(CMerivexKeyboardDevice& keyboard);
/// The light target of the mouse pad or the headset.
[[nodiscard]] std::unique_ptr<LightTarget> LightRecordTarget(CMerivexLightRecordDevice& device);

}  // namespace halvern
