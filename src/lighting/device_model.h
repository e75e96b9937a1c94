#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "lighting/effect_context.h"
#include "lighting/tables.h"

namespace halvern {

/// How a device's lighting thread counts ticks. The mouse's and keyboard's count a tick when the clock
/// has moved more than 1 ms since the last counted tick (every 2 ms of a thread waking each millisecond);
/// the mouse pad's and headset's count every pass.
enum class TickRule : uint8_t { CountedMillis, EveryPass };

/// When a mode's effect runs: at its threshold row's count of ticks, or every pass (the custom sequence).
enum class Cadence : uint8_t { Threshold, Sequence };

using StartFn = void (*)(EffectContext&);
using PressFn = void (*)(EffectContext&, int key);

/// One light mode of a device.
struct ModeEntry {
    EffectFn effect = nullptr;  // unused for Cadence::Sequence
    Cadence cadence = Cadence::Sequence;
    const tables::ThresholdRow* row = nullptr;
    StartFn start = nullptr;  // runs when the device switches to this mode
    bool steady = false;      // the picture depends on the settings and inputs only: drawn once it stays
};

/// The same mode, marked steady.
constexpr ModeEntry steady(ModeEntry entry) {
    entry.steady = true;
    return entry;
}

/// A device's lighting: its LEDs, its timing, its mode table and the hooks of its inputs.
struct DeviceModel {
    DeviceKind kind;
    std::string_view name;
    std::size_t ledCount;
    TickRule tickRule;
    bool lightListEveryPass;  // false: the list is drawn once, when loaded (the mouse)
    std::size_t bandCount;    // sound bands its music mode takes
    std::span<const ModeEntry> modes;
    ModeEntry beyond;          // every mode index past the table
    StartFn modeChanged;       // runs on every mode change, before the new mode's own start
    EffectFn levelsDelivered;  // after new band levels are stored; may be null
    PressFn press;             // a key or button press; may be null

    [[nodiscard]] const ModeEntry& mode(uint8_t index) const {
        return index < modes.size() ? modes[index] : beyond;
    }
};

[[nodiscard]] const DeviceModel& deviceModel(DeviceKind kind);

/// "mouse", "keyboard", "mousepad", "headset" → the device; nothing for other names.
[[nodiscard]] const DeviceModel* findDeviceModel(std::string_view name);

namespace models {
extern const DeviceModel kMouse;
extern const DeviceModel kKeyboard;
extern const DeviceModel kMousePad;
extern const DeviceModel kHeadset;
}  // namespace models

}  // namespace halvern
