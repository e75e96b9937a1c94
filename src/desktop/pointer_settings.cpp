#include "desktop/pointer_settings.h"

#include <algorithm>

namespace halvern::desktop {
namespace {

enum class Owner : uint8_t { Device, Desktop, Nobody };

// Who owns each setting, in the order of PointerSetting.
constexpr std::array<Owner, kPointerSettingCount> kOwners{
    Owner::Device,   // speed: libinput's per-device pointer speed
    Owner::Device,   // precision: libinput's acceleration profile
    Owner::Desktop,  // wheel lines
    Owner::Desktop,  // double-click time
    Owner::Nobody,   // a page per wheel step
};

// Settings whose 0 is the profile's "never set" (the sliders start at 1).
constexpr std::array<bool, kPointerSettingCount> kZeroIsUnset{true, false, true, true, false};

constexpr std::size_t indexOf(PointerSetting s) {
    return static_cast<std::size_t>(s);
}

}  // namespace

PointerSettings::PointerSettings(std::unique_ptr<PointerTarget> device,
                                 std::unique_ptr<PointerTarget> desktop)
    : m_device(std::move(device)), m_desktop(std::move(desktop)) {}

PointerTarget* PointerSettings::ownerOf(PointerSetting setting) const {
    if (indexOf(setting) >= kOwners.size()) return nullptr;
    switch (kOwners[indexOf(setting)]) {
        case Owner::Device:
            return m_device.get();
        case Owner::Desktop:
            return m_desktop.get();
        case Owner::Nobody:
            return nullptr;
    }
    return nullptr;
}

Availability PointerSettings::availability(PointerSetting setting, UsbIds ids) const {
    const PointerTarget* owner = ownerOf(setting);
    if (!owner) return {"pointer_reason_scroll_page", {}};
    return owner->availability(setting, ids);
}

ApplyResult PointerSettings::apply(PointerSetting setting, int value, UsbIds ids) {
    PointerTarget* owner = ownerOf(setting);
    if (!owner || !owner->availability(setting, ids).available()) return ApplyResult::Unavailable;
    if (IsUnset(setting, value)) return ApplyResult::NotSet;
    return owner->apply(setting, value, ids) ? ApplyResult::Applied : ApplyResult::Failed;
}

float LibinputSpeed(int speed) {
    return std::clamp(static_cast<float>(speed - 10) / 10.0F, -1.0F, 1.0F);
}

bool IsUnset(PointerSetting setting, int value) {
    return indexOf(setting) < kZeroIsUnset.size() && kZeroIsUnset[indexOf(setting)] && value <= 0;
}

}  // namespace halvern::desktop
