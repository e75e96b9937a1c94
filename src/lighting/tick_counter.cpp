#include "lighting/tick_counter.h"

#include <algorithm>

namespace halvern {

void TickCounter::restart(Millis now) {
    m_lastTick = now;
    m_count = 0;
}

void TickCounter::addTicks(Millis ticks) { m_count = static_cast<uint8_t>(std::min<Millis>(255, m_count + ticks)); }

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

void TickCounter::skip(Millis lastPass, Millis until) {
    if (until <= lastPass) return;
    if (m_rule == TickRule::EveryPass) {
        addTicks(until - lastPass);
        m_lastTick = until;
        return;
    }
    const Millis first = tickAt(lastPass, 1);
    if (until < first) return;
    const Millis ticks = (until - first) / 2 + 1;
    addTicks(ticks);
    m_lastTick = first + 2 * (ticks - 1);
}

}  // namespace halvern
