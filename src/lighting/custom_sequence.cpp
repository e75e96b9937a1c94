#include "lighting/custom_sequence.h"

#include <algorithm>

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern {

namespace {

enum StepType : uint8_t { kBreathing = 0, kStatic = 1, kBlink = 2, kWave = 4, kSpectrum = 5 };

const tables::ThresholdRow& rowOf(uint8_t type) {
    return type == kSpectrum ? tables::kSequenceSpectrumRow : tables::kBaseRow;
}

/// Steps whose pass counter restarts at a threshold (the others let it run up to 255).
bool restartsCounter(uint8_t type) {
    return type == kBreathing || type == kStatic || type == kBlink || type == kWave || type == kSpectrum;
}

/// Steps whose picture moves each time the counter restarts.
bool movesOnRestart(uint8_t type) {
    return type == kBreathing || type == kWave || type == kSpectrum;
}

}  // namespace

void CustomSequence::replace(std::vector<SequenceStep> steps) {
    std::scoped_lock lock(m_mutex);
    m_steps = std::move(steps);
    m_index = 0;
    m_started = false;
    m_needsDraw = true;
}

void CustomSequence::invalidate() {
    std::scoped_lock lock(m_mutex);
    m_needsDraw = true;
}

bool CustomSequence::advanceStep(const SequenceStep& step, Millis now, uint8_t deviceSpeed) {
    const uint8_t limit = tables::threshold(rowOf(step.type), step.speedLevel);
    // The counter is shared by the steps and not reset between them, so it may arrive above a faster
    // step's threshold: ">=" lets that step advance at once instead of waiting for the byte to wrap.
    const bool reached = m_passCounter >= limit;
    switch (step.type) {
        case kBreathing:
            if (!reached) return false;
            m_passCounter = 0;
            m_phase = (m_phase + 1) % 128;
            return true;
        case kStatic:
            if (!reached) return false;
            m_passCounter = 0;
            m_phase = m_phase + 1 > 8 ? 0 : static_cast<uint8_t>(m_phase + 1);
            return false;  // the phase of a static step shows nothing
        case kBlink:
            m_phase = (m_phase + 1) % 128;
            if (reached) m_passCounter = 0;
            if (now - m_blinkTime >= tables::blinkPeriod(deviceSpeed)) {
                m_blinkOn = !m_blinkOn;
                m_blinkTime = now;
                m_blinkColourIndex = static_cast<uint8_t>(m_phase + 14);
                return true;
            }
            return false;
        case kWave:
        case kSpectrum:
            if (!reached) return false;
            m_passCounter = 0;
            m_phase = (m_phase + 1) % 192;
            return true;
        default:
            return false;
    }
}

void CustomSequence::draw(const SequenceStep& step, LedFrame& frame) const {
    const uint8_t bright = tables::brightness(step.brightnessLevel);
    switch (step.type) {
        case kBreathing:
            frame.fill(step.colourful ? tables::wheel(0) : step.colour,
                       scaleLevel(tables::kBreathing[m_phase & 0x7F], bright));
            break;
        case kStatic:
            frame.fill(step.colour, bright);
            break;
        case kBlink:
            if (m_blinkOn) {
                frame.fill(step.colourful ? tables::wheel(m_blinkColourIndex) : step.colour, bright);
            } else {
                frame.fill({}, 0);
            }
            break;
        case kWave: {
            int start = 0;
            if (step.direction == 0) {
                start = m_phase + 1 == 192 ? 0 : m_phase + 1;
            } else {
                start = m_phase == 0 ? 191 : 192 - m_phase;
            }
            for (std::size_t i = 0; i < frame.size(); ++i) {
                const int offset = 12 * static_cast<int>(i);
                if (step.colourful) {
                    frame.set(i, tables::wheel(static_cast<uint8_t>((start + offset) % 192)), bright);
                } else {
                    frame.set(i, step.colour, scaleLevel(tables::kWave[(start + offset + 12) % 96], bright));
                }
            }
            break;
        }
        case kSpectrum:
            frame.fill(tables::wheel(m_phase), bright);
            break;
        default:
            break;
    }
}

void CustomSequence::pass(LedFrame& frame, Millis now, uint8_t deviceSpeed, bool alwaysDraw) {
    std::scoped_lock lock(m_mutex);
    if (m_index >= m_steps.size()) m_index = 0;
    if (m_steps.empty()) {
        if (alwaysDraw || m_needsDraw) frame.fill({}, 0);
        m_needsDraw = false;
        return;
    }
    if (!m_started) {
        m_started = true;
        m_stepStart = now;
    }
    ++m_passCounter;
    const SequenceStep& step = m_steps[m_index];
    const bool changed = advanceStep(step, now, deviceSpeed);
    if (m_passCounter == 255) m_passCounter = 0;
    if (alwaysDraw || changed || m_needsDraw) draw(step, frame);
    m_needsDraw = false;
    if (now - m_stepStart > Millis{step.durationMs}) {
        m_index = m_index + 1 >= m_steps.size() ? 0 : m_index + 1;
        m_stepStart = now;
        m_needsDraw = true;  // the next step draws at its first pass
    }
}

void CustomSequence::skipPasses(Millis passes) {
    std::scoped_lock lock(m_mutex);
    if (passes <= 0 || m_steps.empty() || !m_started) return;
    const SequenceStep& step = m_steps[std::min(m_index, m_steps.size() - 1)];
    const Millis limit = tables::threshold(rowOf(step.type), step.speedLevel);
    if (!restartsCounter(step.type)) {
        m_passCounter = static_cast<uint8_t>((m_passCounter + passes) % 255);  // it restarts on reaching 255
        return;
    }
    // The counter restarts each time it reaches the limit: first after `first` passes, then every `limit`.
    const Millis first = m_passCounter >= limit ? 1 : limit - m_passCounter;
    Millis restarts = 0;
    if (passes < first) {
        m_passCounter = static_cast<uint8_t>(m_passCounter + passes);
    } else {
        restarts = 1 + (passes - first) / limit;
        m_passCounter = static_cast<uint8_t>((passes - first) % limit);
    }
    if (step.type == kBlink) {
        m_phase = static_cast<uint8_t>((m_phase + passes) % 128);
    } else if (step.type == kStatic && restarts > 0) {
        m_phase = m_phase >= 8 ? 0 : static_cast<uint8_t>(m_phase + 1);
        m_phase = static_cast<uint8_t>((m_phase + restarts - 1) % 9);
    }
    // Breathing, wave and spectrum change the picture at every restart, so nextChange() never lets a
    // restart fall inside skipped passes.
}

Millis CustomSequence::nextChange(Millis lastPass, uint8_t deviceSpeed) const {
    std::scoped_lock lock(m_mutex);
    const Millis next = lastPass + 1;
    if (m_needsDraw || !m_started) return m_steps.empty() && !m_needsDraw ? kNever : next;
    if (m_steps.empty()) return kNever;
    const SequenceStep& step = m_steps[std::min(m_index, m_steps.size() - 1)];
    Millis soonest = std::max(next, m_stepStart + Millis{step.durationMs} + 1);
    if (step.type == kBlink) {
        soonest = std::min(soonest, std::max(next, m_blinkTime + tables::blinkPeriod(deviceSpeed)));
    } else if (movesOnRestart(step.type)) {
        const uint8_t limit = tables::threshold(rowOf(step.type), step.speedLevel);
        soonest = std::min(soonest, lastPass + std::max<Millis>(1, Millis{limit} - m_passCounter));
    }
    return soonest;
}

}  // namespace halvern
