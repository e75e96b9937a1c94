#include "devices/device_lighting.h"

#include "devices/usb_device.h"

namespace halvern {

DeviceLighting::DeviceLighting(DeviceKind kind) : m_engine(kind), m_snapshot(m_engine.frame().size()) {}

void DeviceLighting::start() {
    std::scoped_lock lock(m_mutex);
    m_engine.start(steadyMillis());
    m_running = true;
}

void DeviceLighting::stop() {
    std::scoped_lock lock(m_mutex);
    m_running = false;
}

bool DeviceLighting::running() const {
    std::scoped_lock lock(m_mutex);
    return m_running;
}

Millis DeviceLighting::snapshot(LedFrame& out) {
    std::scoped_lock lock(m_mutex);
    m_engine.runDue(steadyMillis());
    out = m_engine.frame();
    return m_engine.nextDue();
}

void DeviceLighting::nextFrame(LedFrame& out) {
    std::scoped_lock lock(m_mutex);
    const Millis now = steadyMillis();
    m_engine.runDue(now);
    // Pass by pass, at most a second on: the slowest first step is far sooner.
    constexpr Millis kLongestWait = 1000;
    for (Millis pass = 0; pass < kLongestWait && !m_engine.drawn(); ++pass) {
        const Millis due = m_engine.nextDue();
        if (due > now + kLongestWait) break;
        m_engine.runDue(due);
    }
    out = m_engine.frame();
}

void DeviceLighting::copyFrameTo(CMerivexUSBDevice& device) {
    (void)snapshot(m_snapshot);
    const int count = std::min(device.ledCount(), static_cast<int>(m_snapshot.size()));
    for (int i = 0; i < count; ++i) device.SetLedColour(i, m_snapshot.word(static_cast<size_t>(i)));
}

}  // namespace halvern
