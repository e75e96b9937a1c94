#include "lighting/lighting_engine.h"

#include <algorithm>

#include "lighting/music_common.h"

namespace halvern {

LightingEngine::LightingEngine(DeviceKind kind, uint32_t seed)
    : m_model(&deviceModel(kind)), m_frame(m_model->ledCount), m_ticks(m_model->tickRule) {
    m_state.random.seed(seed);
    m_state.music.reset();
}

EffectContext LightingEngine::context(Millis now) {
    return {m_settings, m_state, m_frame, now};
}

void LightingEngine::applySettings(const LightSettings& settings) {
    const bool modeChanged = settings.mode != m_settings.mode;
    m_settings = settings;
    m_steadyShown = false;
    if (modeChanged) restartMode();
}

void LightingEngine::restartMode() {
    EffectContext ctx = context(m_lastPass);
    if (m_model->modeChanged) m_model->modeChanged(ctx);
    if (const StartFn modeStart = currentMode().start) modeStart(ctx);
    invalidate();
}

void LightingEngine::invalidate() {
    m_steadyShown = false;
    m_sequence.invalidate();
}

void LightingEngine::loadLightList(std::vector<LedLightEntry> entries, Millis now) {
    m_steadyShown = false;
    m_lightList.replace(std::move(entries));
    if (!m_model->lightListEveryPass) m_lightList.applyPass(m_frame, now);
}

void LightingEngine::deliverAudioLevels(std::span<const int32_t> levels) {
    m_steadyShown = false;
    music::storeLevels(m_state.music, levels, m_model->bandCount);
    if (m_model->levelsDelivered) {
        EffectContext ctx = context(m_lastPass);
        m_model->levelsDelivered(ctx);
    }
}

void LightingEngine::deliverExternalColour(std::span<const int32_t> values) {
    m_steadyShown = false;
    m_state.externalColour = {};
    std::copy_n(values.begin(), std::min(values.size(), kExternalValues), m_state.externalColour.begin());
}

void LightingEngine::press(int key) {
    if (!m_model->press) return;
    m_steadyShown = false;
    EffectContext ctx = context(m_lastPass);
    m_model->press(ctx, key);
}

void LightingEngine::setCustomColours(std::span<const Rgb> colours) {
    m_steadyShown = false;
    m_state.customColours = {};
    std::copy_n(colours.begin(), std::min(colours.size(), kMaxLeds), m_state.customColours.begin());
}

void LightingEngine::runEffect(Millis now) {
    const ModeEntry& mode = currentMode();
    m_drawn = true;
    if (mode.cadence == Cadence::Sequence || mode.effect == nullptr) {
        m_sequence.pass(m_frame, now, m_settings.speed(), true);
        return;
    }
    EffectContext ctx = context(now);
    mode.effect(ctx);
}

void LightingEngine::start(Millis now) {
    m_lastPass = now;
    m_ticks.restart(now);
    m_started = true;
    m_drawn = false;
}

Millis LightingEngine::effectDue() const {
    const ModeEntry& mode = currentMode();
    if (mode.cadence != Cadence::Threshold || steadyShown()) return kNever;
    const uint8_t limit = tables::threshold(*mode.row, m_settings.speed());
    // The count is compared when a tick is counted: a threshold of 0 or 1 runs at every tick.
    const unsigned ticks = m_ticks.count() >= limit ? 1u : static_cast<unsigned>(limit - m_ticks.count());
    return m_ticks.tickAt(m_lastPass, ticks);
}

void LightingEngine::runPass(Millis now) {
    const ModeEntry& mode = currentMode();
    const bool ticked = m_ticks.pass(now);
    if (mode.cadence == Cadence::Threshold) {
        if (ticked && m_ticks.count() >= tables::threshold(*mode.row, m_settings.speed())) {
            m_ticks.resetCount();
            // Effects may read the frame back, so it must hold what the last pass left: the effect with
            // the light list on top.
            if (m_overlayPending) m_lightList.draw(m_frame);
            EffectContext ctx = context(now);
            mode.effect(ctx);
            m_steadyShown = mode.steady;
            m_drawn = true;
        }
    } else {
        m_sequence.pass(m_frame, now, m_settings.speed(), false);
        m_drawn = true;
    }
    if (m_model->lightListEveryPass) {
        m_lightList.advance(now);
        m_overlayPending = true;
    }
    m_lastPass = now;
}

void LightingEngine::skipPasses(Millis until) {
    const Millis passes = until - m_lastPass;
    const ModeEntry& mode = currentMode();
    if (steadyShown()) {
        // The effect would run again and draw the same picture: only its count matters.
        m_ticks.skipCycling(m_lastPass, until, tables::threshold(*mode.row, m_settings.speed()));
    } else {
        m_ticks.skip(m_lastPass, until);
    }
    if (mode.cadence == Cadence::Sequence) m_sequence.skipPasses(passes);
    if (m_model->lightListEveryPass) m_lightList.skipPasses(passes);
    m_lastPass = until;
}

bool LightingEngine::runDue(Millis now) {
    if (!m_started) start(now);
    if (now <= m_lastPass) return false;
    bool changed = false;
    while (m_lastPass < now) {
        const Millis due = nextDue();
        if (due <= now - kMaxCatchUp) {
            // Held up for long (a suspended machine): resume a second ago instead of replaying it all.
            m_lastPass = now - kMaxCatchUp;
            m_ticks.restart(m_lastPass);
            continue;
        }
        if (due > m_lastPass + 1) {
            // Passes before the next change only move counters: take them at once.
            skipPasses(std::min(now, due - 1));
            continue;
        }
        runPass(m_lastPass + 1);
        changed = true;
    }
    if (m_overlayPending) {
        m_lightList.draw(m_frame);
        m_overlayPending = false;
    }
    return changed;
}

Millis LightingEngine::nextDue() const {
    Millis due = effectDue();
    if (currentMode().cadence == Cadence::Sequence) {
        due = std::min(due, m_sequence.nextChange(m_lastPass, m_settings.speed()));
    }
    if (m_model->lightListEveryPass) due = std::min(due, m_lightList.nextChange(m_lastPass));
    return due;
}

}  // namespace halvern
