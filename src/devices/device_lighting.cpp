#include "devices/device_lighting.h"

#include "devices/usb_device.h"

namespace halvern {

DeviceLighting::DeviceLighting(DeviceKind kind) : m_engine(kind), m_snapshot(m_engine.frame().size()) {}

DeviceLighting::~DeviceLighting() {
    stop();
}

void DeviceLighting::start() {
    std::scoped_lock lock(m_mutex);
    m_thread.reset();
    m_engine.start(steadyMillis());
    m_thread = std::make_unique<LightingThread>(m_engine);
}

void DeviceLighting::stop() {
    std::scoped_lock lock(m_mutex);
    m_thread.reset();
}

Millis DeviceLighting::snapshot(LedFrame& out) {
    std::scoped_lock lock(m_mutex);
    if (m_thread) return m_thread->snapshot(out);
    m_engine.runDue(steadyMillis());
    out = m_engine.frame();
    return m_engine.nextDue();
}

void DeviceLighting::copyFrameTo(CMerivexUSBDevice& device) {
    (void)snapshot(m_snapshot);
    const int count = std::min(device.ledCount(), static_cast<int>(m_snapshot.size()));
    for (int i = 0; i < count; ++i) device.SetLedColour(i, m_snapshot.word(static_cast<size_t>(i)));
}

}  // namespace halvern
