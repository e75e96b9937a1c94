#include "lighting/shared_effect.h"

#include <algorithm>
#include <array>

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern {
namespace {

/// The mode of each shared effect (breathing, static, blink, spectrum, off) per device type code.
struct ModeColumn {
    uint16_t typeCode;
    std::array<int, 5> modes;
};

constexpr std::array kModeColumns{
    ModeColumn{1, {5, 6, 23, 4, 28}},  // keyboard
    ModeColumn{2, {2, 3, 4, 1, 10}},   // mouse
    ModeColumn{3, {2, 3, 4, 1, 8}},    // mouse pad
    ModeColumn{7, {2, 3, 4, 1, 8}},    // headset
};

const ModeColumn* columnOf(uint16_t typeCode) {
    const auto found = std::ranges::find(kModeColumns, typeCode, &ModeColumn::typeCode);
    return found == kModeColumns.end() ? nullptr : &*found;
}

constexpr uint8_t kWheelSpan = 192;
constexpr uint8_t kBreathingPeriod = 128;
constexpr uint8_t kBreathingColourStep = 16;
constexpr uint8_t kBlinkColourStep = 14;

}  // namespace

std::optional<SharedEffect> SharedEffectOfMode(uint16_t typeCode, int mode) {
    const ModeColumn* column = columnOf(typeCode);
    if (!column) return std::nullopt;
    const auto found = std::ranges::find(column->modes, mode);
    if (found == column->modes.end()) return std::nullopt;
    return static_cast<SharedEffect>(found - column->modes.begin());
}

std::optional<int> ModeOfSharedEffect(uint16_t typeCode, SharedEffect effect) {
    const ModeColumn* column = columnOf(typeCode);
    if (!column) return std::nullopt;
    return column->modes[static_cast<size_t>(effect)];
}

void SharedAnimation::start(const SharedEffectSettings& settings, Millis now) {
    m_settings = settings;
    m_running = true;
    m_origin = now;
    m_period = 2 * Millis{tables::threshold(tables::kBaseRow, settings.speed)};
    m_nextIndex = 1;
    m_steppedOnce = false;
}

Millis SharedAnimation::nextStep() const {
    if (!m_running) return kNever;
    switch (m_settings.effect) {
        case SharedEffect::Static:
        case SharedEffect::Off:
            return m_steppedOnce ? kNever : stepTime(m_nextIndex);
        case SharedEffect::Blink: {
            // Steps before the blink period is over change nothing: the first one after it toggles.
            const Millis due = m_blinkTime + tables::blinkPeriod(m_settings.speed);
            const int64_t index = due <= m_origin ? 0 : (due - m_origin + m_period - 1) / m_period;
            return stepTime(std::max(m_nextIndex, index));
        }
        case SharedEffect::Breathing:
        case SharedEffect::Spectrum:
            break;
    }
    return stepTime(m_nextIndex);
}

bool SharedAnimation::advance(Millis now) {
    const uint32_t before = packed();
    for (Millis due = nextStep(); due <= now; due = nextStep()) {
        step(due);
        m_nextIndex = (due - m_origin) / m_period + 1;
        m_steppedOnce = true;
    }
    return packed() != before;
}

void SharedAnimation::step(Millis now) {
    const SharedEffectSettings& s = m_settings;
    const uint8_t bright = tables::brightness(s.brightness);
    switch (s.effect) {
        case SharedEffect::Breathing:
            m_breathingStep = stepPhase(s.direction != 0, kBreathingPeriod, m_breathingStep, 1);
            if (m_breathingStep < 2)
                m_colourIndex = stepPhase(true, kWheelSpan, m_colourIndex, kBreathingColourStep);
            m_colour = s.colourful ? tables::wheel(m_colourIndex) : s.colour;
            m_level = scaleLevel(bright, tables::kBreathing[m_breathingStep]);
            break;
        case SharedEffect::Static:
            m_colour = s.colour;
            m_level = bright;
            break;
        case SharedEffect::Blink:
            if (now - m_blinkTime >= tables::blinkPeriod(s.speed)) {
                m_blinkOn = !m_blinkOn;
                m_blinkTime = now;
                m_blinkColourIndex = stepPhase(true, kWheelSpan, m_blinkColourIndex, kBlinkColourStep);
            }
            m_colour = !m_blinkOn ? Rgb{} : s.colourful ? tables::wheel(m_blinkColourIndex) : s.colour;
            m_level = m_blinkOn ? bright : 0;
            break;
        case SharedEffect::Spectrum:
            m_spectrumStep = stepPhase(true, kWheelSpan, m_spectrumStep, 1);
            m_colour = tables::wheel(m_spectrumStep);
            m_level = bright;
            break;
        case SharedEffect::Off:
            m_colour = {};
            m_level = 0;
            break;
    }
}

uint32_t SharedAnimation::packed() const {
    return uint32_t{m_colour.red} | uint32_t{m_colour.green} << 8 | uint32_t{m_colour.blue} << 16 |
           uint32_t{m_level} << 24;
}

}  // namespace halvern
