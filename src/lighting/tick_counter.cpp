#include "lighting/tick_counter.h"

#include <algorithm>

namespace halvern {

void TickCounter::restart(Millis now) {
    m_lastTick = now;
    m_count = 0;
}

void TickCounter::addTicks(Millis ticks) {
    m_count = static_cast<uint8_t>(std::min<Millis>(255, m_count + ticks));
}

bool TickCounter::pass(Millis now) {
    if (m_rule == TickRule::CountedMillis && now - m_lastTick <= 1) return false;
    m_lastTick = now;
    addTicks(1);
    return true;
}

Millis TickCounter::tickAt(Millis lastPass, unsigned k) const {
    if (m_rule == TickRule::EveryPass) return lastPass + k;
    // A tick needs the clock to have moved 2 ms since the last one; passes come every millisecond.
    const Millis first = std::max(lastPass + 1, m_lastTick + 2);
    return first + 2 * Millis{k - 1};
}

Millis TickCounter::takeTicks(Millis lastPass, Millis until) {
    if (until <= lastPass) return 0;
    if (m_rule == TickRule::EveryPass) {
        m_lastTick = until;
        return until - lastPass;
    }
    const Millis first = tickAt(lastPass, 1);
    if (until < first) return 0;
    const Millis ticks = (until - first) / 2 + 1;
    m_lastTick = first + 2 * (ticks - 1);
    return ticks;
}

void TickCounter::skip(Millis lastPass, Millis until) {
    addTicks(takeTicks(lastPass, until));
}

void TickCounter::skipCycling(Millis lastPass, Millis until, uint8_t threshold) {
    const Millis ticks = takeTicks(lastPass, until);
    // The first run comes when the count reaches the threshold, then one every `threshold` ticks.
    const Millis first = m_count >= threshold ? 1 : threshold - m_count;
    if (ticks < first) {
        addTicks(ticks);
    } else {
        m_count = threshold == 0 ? 0 : static_cast<uint8_t>((ticks - first) % threshold);
    }
}

}  // namespace halvern
