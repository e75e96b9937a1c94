#include "lighting/led_light_list.h"

#include <algorithm>

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern {

namespace {

enum LedMode : uint8_t { kBreathing = 0, kStatic = 1, kBlink = 2, kSpectrum = 3, kOff = 4 };

}  // namespace

void LedLightList::replace(std::vector<LedLightEntry> entries) {
    std::scoped_lock lock(m_mutex);
    if (entries.size() > kMaxLeds) entries.resize(kMaxLeds);
    m_entries = std::move(entries);
    m_state = {};
    m_needsDraw = true;
}

bool LedLightList::empty() const {
    std::scoped_lock lock(m_mutex);
    return m_entries.empty();
}

void LedLightList::applyPass(LedFrame& frame, Millis now) {
    std::scoped_lock lock(m_mutex);
    advanceLocked(now);
    drawLocked(frame);
}

void LedLightList::advance(Millis now) {
    std::scoped_lock lock(m_mutex);
    advanceLocked(now);
}

void LedLightList::draw(LedFrame& frame) {
    std::scoped_lock lock(m_mutex);
    drawLocked(frame);
}

void LedLightList::advanceLocked(Millis now) {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const LedLightEntry& e = m_entries[i];
        if (!e.present) continue;
        LedState& s = m_state[i];
        const uint8_t speed = std::min(e.speedLevel, tables::kMaxSpeedLevel);
        switch (e.mode) {
            case kBreathing:
                s.phase = static_cast<uint8_t>(s.phase + speed + 4);
                if (s.phase & 0x80) {
                    s.phase = 0;
                    ++s.colourIndex;
                    if (s.colourIndex > 192) s.colourIndex = 191;
                }
                break;
            case kBlink:
                if (now - s.blinkTime >= tables::blinkPeriod(speed)) {
                    s.blinkOn = !s.blinkOn;
                    s.blinkTime = now;
                    s.colourIndex = static_cast<uint8_t>(s.colourIndex + 14);
                    if (s.colourIndex > 191) s.colourIndex = 0;
                }
                break;
            case kSpectrum:
                if (++s.counter >= tables::threshold(tables::kBaseRow, speed)) {
                    s.counter = 0;
                    if (++s.colourIndex > 191) s.colourIndex = 0;
                }
                break;
            default:
                break;
        }
    }
}

void LedLightList::drawLocked(LedFrame& frame) {
    m_needsDraw = false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const LedLightEntry& e = m_entries[i];
        if (!e.present) continue;
        const LedState& s = m_state[i];
        const uint8_t bright = tables::brightness(e.brightnessLevel);
        const Rgb chosen = e.colourful ? tables::wheel(s.colourIndex) : e.colour;
        switch (e.mode) {
            case kBreathing:
                frame.set(i, chosen, scaleLevel(tables::kBreathing[s.phase & 0x7F], bright));
                break;
            case kStatic:
                frame.set(i, e.colour, bright);
                break;
            case kBlink:
                frame.set(i, s.blinkOn ? chosen : Rgb{}, s.blinkOn ? bright : 0);
                break;
            case kSpectrum:
                frame.set(i, tables::wheel(s.colourIndex), bright);
                break;
            case kOff:
                frame.set(i, {}, 0);
                break;
            default:
                break;  // an unknown mode leaves the LED to the effect
        }
    }
}

void LedLightList::skipPasses(Millis passes) {
    std::scoped_lock lock(m_mutex);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].present && m_entries[i].mode == kSpectrum) {
            m_state[i].counter = static_cast<uint8_t>(m_state[i].counter + passes);
        }
    }
}

Millis LedLightList::nextChange(Millis lastPass) const {
    std::scoped_lock lock(m_mutex);
    const Millis next = lastPass + 1;
    if (m_needsDraw) return next;
    Millis soonest = kNever;
    for (std::size_t i = 0; i < m_entries.size() && soonest > next; ++i) {
        const LedLightEntry& e = m_entries[i];
        if (!e.present) continue;
        const LedState& s = m_state[i];
        const uint8_t speed = std::min(e.speedLevel, tables::kMaxSpeedLevel);
        switch (e.mode) {
            case kBreathing:
                soonest = next;
                break;
            case kBlink:
                soonest = std::min(soonest, std::max(next, s.blinkTime + tables::blinkPeriod(speed)));
                break;
            case kSpectrum: {
                const uint8_t limit = tables::threshold(tables::kBaseRow, speed);
                soonest = std::min(soonest, lastPass + std::max<Millis>(1, Millis{limit} - s.counter));
                break;
            }
            default:
                break;
        }
    }
    return soonest;
}

}  // namespace halvern
