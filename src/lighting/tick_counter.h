#pragma once

#include <cstdint>

#include "lighting/device_model.h"
#include "lighting/types.h"

namespace halvern {

/// The tick count of a lighting thread that passes once every millisecond. It answers, without running
/// the passes in between, when the k-th next tick falls and how the count stands after any number of
/// passes, so a thread can sleep through passes that only count.
class TickCounter {
public:
    explicit TickCounter(TickRule rule) : m_rule(rule) {}

    /// The thread starts at `now`; its first pass is at now + 1.
    void restart(Millis now);

    /// One pass at `now` (one millisecond after the previous one). True when it counted a tick.
    bool pass(Millis now);

    /// The pass at which the k-th tick after pass `lastPass` is counted (k >= 1).
    [[nodiscard]] Millis tickAt(Millis lastPass, unsigned k) const;

    /// Counts the ticks of every pass in (lastPass, until] at once, when no effect runs in between.
    void skip(Millis lastPass, Millis until);

    /// The same while an effect of `threshold` runs whenever the count reaches it (an effect whose runs
    /// change nothing): the count goes round as it would.
    void skipCycling(Millis lastPass, Millis until, uint8_t threshold);

    [[nodiscard]] uint8_t count() const { return m_count; }
    void resetCount() { m_count = 0; }

private:
    void addTicks(Millis ticks);
    /// The number of ticks in (lastPass, until]; moves the last tick to the last of them.
    Millis takeTicks(Millis lastPass, Millis until);

    TickRule m_rule;
    Millis m_lastTick = 0;
    uint8_t m_count = 0;  // saturates: a mode switch then runs its effect at the next tick
};

}  // namespace halvern
