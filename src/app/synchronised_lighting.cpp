#include "app/synchronised_lighting.h"

#include <algorithm>

#include "lighting/steady_clock.h"

namespace halvern::app {

SynchronisedLighting::SynchronisedLighting(Devices devices, ShowsFrames showsFrames, QObject* parent)
    : QObject(parent), m_devices(std::move(devices)), m_showsFrames(std::move(showsFrames)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SynchronisedLighting::run);
}

std::vector<CMerivexUSBDevice*> SynchronisedLighting::takingPart() const {
    std::vector<CMerivexUSBDevice*> devices = m_devices ? m_devices() : std::vector<CMerivexUSBDevice*>{};
    std::erase_if(devices, [](CMerivexUSBDevice* d) { return !d || !d->commandChannel().lightSync(); });
    return devices;
}

bool SynchronisedLighting::seen(const std::vector<CMerivexUSBDevice*>& devices) const {
    if (!m_windowHidden) return true;
    return m_showsFrames && std::any_of(devices.begin(), devices.end(),
                                        [this](const CMerivexUSBDevice* d) { return m_showsFrames(*d); });
}

void SynchronisedLighting::setWindowHidden(bool hidden) {
    if (hidden == m_windowHidden) return;
    m_windowHidden = hidden;
    wake();
}

void SynchronisedLighting::start(const SharedEffectSettings& settings) {
    m_animation.start(settings, steadyMillis());
    wake();
}

void SynchronisedLighting::wake() {
    const std::vector<CMerivexUSBDevice*> devices = takingPart();
    if (devices.empty() || !seen(devices)) {
        m_timer.stop();
        return;
    }
    run();
}

void SynchronisedLighting::paint(const std::vector<CMerivexUSBDevice*>& devices) const {
    const uint32_t colour = m_animation.packed();
    for (CMerivexUSBDevice* device : devices) {
        for (int led = 0; led < device->ledCount(); ++led) device->SetLedColour(led, colour);
    }
}

void SynchronisedLighting::run() {
    const std::vector<CMerivexUSBDevice*> devices = takingPart();
    if (devices.empty() || !m_animation.running() || !seen(devices)) {
        m_timer.stop();
        return;
    }
    const Millis now = steadyMillis();
    m_animation.advance(now);
    paint(devices);  // also a device that just joined gets the colour the others show
    const Millis next = m_animation.nextStep();
    if (next == SharedAnimation::kNever) {
        m_timer.stop();
        return;
    }
    // Steps of a fast effect fall every few milliseconds; no device takes a frame more often than every
    // 10 ms, so the colours are handed on at most that often (advance() runs the steps in between, and
    // the colour at each hand-over is the one the step-by-step run would show).
    m_timer.start(static_cast<int>(std::clamp<Millis>(next - now, kMinHandOverMs, 60'000)));
}

}  // namespace halvern::app
