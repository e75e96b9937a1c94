#pragma once

#include <functional>

#include "input/macro_recorder.h"

namespace halvern {

/// The user's own keyboard and mouse-button input, system-wide, for recording macros. A backend delivers
/// every key press and release (as scan codes) and every press and release of the five mouse buttons
/// (with the pointer's screen position), stamped with a steady millisecond clock, in the order they
/// happened.
class InputHook {
public:
    using Sink = std::function<void(const InputEvent&)>;

    InputHook() = default;
    InputHook(const InputHook&) = delete;
    InputHook& operator=(const InputHook&) = delete;
    virtual ~InputHook() = default;

    /// Starts delivering events to `sink`, which is called on the hook's own thread. With `grabKeyboard`
    /// other programs get no keys while the hook runs (Caps Lock, Num Lock and Scroll Lock still switch
    /// their locks); keyboardGrabbed() tells whether that succeeded. False when the hook cannot run.
    [[nodiscard]] virtual bool Start(Sink sink, bool grabKeyboard) = 0;
    /// Stops delivering; no call of the sink is running or follows once it returns. Idempotent.
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool keyboardGrabbed() const = 0;
};

/// A steady clock in milliseconds (it wraps after 49 days; the recorder's arithmetic allows for that).
[[nodiscard]] uint32_t SteadyMilliseconds();

}  // namespace halvern
