#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace halvern::desktop {

/// The mouse page's pointer settings, in the profile's terms.
enum class PointerSetting : uint8_t {
    Speed,        ///< 1-20, 10 the middle (0: never set)
    Precision,    ///< 1 pointer acceleration on, 0 off
    WheelLines,   ///< lines per wheel step, 1-100 (0: never set)
    DoubleClick,  ///< double-click time in ms (0: never set)
    ScrollPage,   ///< one wheel step scrolls a page
};
inline constexpr std::size_t kPointerSettingCount = 5;

/// The mouse a device setting is meant for: its USB ids as the system lists it.
struct UsbIds {
    uint16_t vid = 0;
    uint16_t pid = 0;
};

/// Whether a setting can take effect in this session; when not, the text id that says why, and what
/// fills its "%1" (a program or desktop name; empty when the text has none).
struct Availability {
    std::string reasonId;
    std::string argument;
    [[nodiscard]] bool available() const { return reasonId.empty(); }
};

/// One place pointer settings can be made to act: the mouse's own input device, or the desktop's settings.
class PointerTarget {
public:
    PointerTarget() = default;
    virtual ~PointerTarget() = default;
    PointerTarget(const PointerTarget&) = delete;
    PointerTarget& operator=(const PointerTarget&) = delete;

    /// Whether `setting` of the mouse `ids` can take effect through this target now.
    [[nodiscard]] virtual Availability availability(PointerSetting setting, UsbIds ids) const = 0;
    /// Makes `value` act for the mouse `ids`; false when it could not (nothing is known to have changed).
    [[nodiscard]] virtual bool apply(PointerSetting setting, int value, UsbIds ids) = 0;
};

/// A target where nothing can take effect, for one reason.
class UnavailableTarget final : public PointerTarget {
public:
    explicit UnavailableTarget(std::string reasonId) : m_reasonId(std::move(reasonId)) {}
    [[nodiscard]] Availability availability(PointerSetting, UsbIds) const override {
        return {m_reasonId, {}};
    }
    [[nodiscard]] bool apply(PointerSetting, int, UsbIds) override { return false; }

private:
    std::string m_reasonId;
};

/// What applying a setting did.
enum class ApplyResult : uint8_t {
    Applied,      ///< the setting acts now
    NotSet,       ///< the value means "never set": nothing was sent, the desktop keeps its own
    Unavailable,  ///< it cannot take effect in this session (availability() says why)
    Failed,       ///< the target refused it
};

/// Sends each pointer setting to the one place that owns it: speed and acceleration to the mouse's own input
/// device (only this mouse, never every pointer), wheel lines and double-click time to the desktop's
/// settings. Scrolling a page per wheel step has no owner on a Linux desktop.
class PointerSettings {
public:
    PointerSettings(std::unique_ptr<PointerTarget> device, std::unique_ptr<PointerTarget> desktop);

    [[nodiscard]] Availability availability(PointerSetting setting, UsbIds ids) const;
    [[nodiscard]] ApplyResult apply(PointerSetting setting, int value, UsbIds ids);

private:
    [[nodiscard]] PointerTarget* ownerOf(PointerSetting setting) const;

    std::unique_ptr<PointerTarget> m_device;
    std::unique_ptr<PointerTarget> m_desktop;
};

/// libinput's pointer speed (-1 to 1) for the profile's speed (1-20, 10 the middle).
[[nodiscard]] float LibinputSpeed(int speed);

/// Whether a stored value means "never set" (then nothing is applied and the desktop keeps its own).
[[nodiscard]] bool IsUnset(PointerSetting setting, int value);

}  // namespace halvern::desktop
