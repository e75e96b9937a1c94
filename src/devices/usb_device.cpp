#include "devices/usb_device.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "devices/device_jobs.h"
#include "profile/data_folders.h"

namespace halvern {

CMerivexUSBDevice::CMerivexUSBDevice(HidBackend& backend) : m_command(backend), m_notification(backend) {
    m_queue.start();
}

CMerivexUSBDevice::~CMerivexUSBDevice() {
    stopQueue();
}

void CMerivexUSBDevice::stopQueue() {
    // Whatever exchange runs is cut short (its read or write fails at once), so the worker ends promptly.
    m_command.setConnected(false);
    m_command.cableInterface().Close();
    m_command.receiverInterface().Close();
    m_queue.stop();
}

DeviceResult CMerivexUSBDevice::Await(const std::function<void(Done)>& start,
                                      std::chrono::milliseconds bound) {
    // The operation may answer after this call gave up: its Done then writes into an outcome that is
    // still there, and nobody reads it.
    auto outcome = std::make_shared<std::optional<DeviceResult>>();
    start([outcome](DeviceResult r) { *outcome = r; });
    // The completions run where the object's owner runs them: the default queue here, or the window's
    // event loop for an object the window owns (a command the running application carries out).
    const auto deadline = std::chrono::steady_clock::now() + bound;
    if (!m_queue.executor().runUntil([&outcome] { return outcome->has_value(); }, deadline))
        return DeviceResult::Cancelled(DeviceStep::None);
    return **outcome;
}

void CMerivexUSBDevice::IsReady(std::function<void(bool)> ready) {
    m_queue.submit([](CommandChannel& channel) { return jobs::CheckLink(channel); },
                   [ready = std::move(ready)](DeviceResult r) {
                       if (ready) ready(r.ok());
                   });
}

void CMerivexUSBDevice::SwitchProfile(std::string profileId, Done done) {
    SetProfileName(std::move(profileId));
    const bool loaded = LoadProfile();
    ShowSettings();
    m_queue.completeLater(done, loaded ? DeviceResult{} : DeviceResult::FileError());
}

void CMerivexUSBDevice::WriteSettings(int, int, int, int, int, Done done) {
    m_queue.completeLater(done, DeviceResult::Refused(DeviceStep::Settings));
}

void CMerivexUSBDevice::SetKeyCount(int count) {
    m_keyCount = std::max(count, 0);
}

void CMerivexUSBDevice::SetLedCount(int count) {
    std::lock_guard lock(m_frameMutex);
    // No device has more LEDs than the frame buffer holds (3 bytes each).
    m_ledCount = std::clamp(count, 0, static_cast<int>(kFrameBufferSize / 3));
    m_frame.assign(static_cast<size_t>(m_ledCount), 0);
}

void CMerivexUSBDevice::SetIdentity(const InterfaceRow& row) {
    m_identity = row;
}

bool CMerivexUSBDevice::ConfigureFromTables(int kindIndex, const InterfaceRow& row) {
    if (kindIndex < 0 || kindIndex >= static_cast<int>(kDeviceKindCount)) return false;
    const DeviceKindRow& kind = kDeviceKindTable[static_cast<size_t>(kindIndex)];
    const DevicePageRow& page = kDevicePageTable[static_cast<size_t>(kindIndex)];
    SetPageLayout(std::string(page.pageLayout));
    SetKeyCount(page.keyCount);
    SetLedCount(page.ledCount);
    SetKindIndex(kindIndex);
    SetPowerFlag(page.powerDisplay != 0);
    SetReservedValue(page.reserved);
    SetKindName(std::string(kind.kindName));
    SetIdentity(row);
    SetKindId(kind.kindId);
    SetLightConfigName(std::string(page.lightConfigName));
    return true;
}

// Only a keyboard on its cable is told; a keyboard behind its receiver carries the cable row's identity, so
// the link itself is asked.
void CMerivexUSBDevice::SetLightControl(bool on) {
    m_lightControl = on;
    if (!on || m_identity.typeCode != type_code::kKeyboard) return;
    m_queue.submit([](CommandChannel& channel) {
        if (!channel.connected() || channel.receiverMode()) return DeviceResult{};
        return DeviceResult::FromCode(channel.AnnounceLightControl(), DeviceStep::LightControl);
    });
}

void CMerivexUSBDevice::SetWindowHidden(bool hidden) {
    if (m_powerFlag) m_windowHidden = hidden;
}

void CMerivexUSBDevice::SetLedColour(int index, uint32_t value) {
    std::lock_guard lock(m_frameMutex);
    if (index >= 0 && index < m_ledCount) m_frame[static_cast<size_t>(index)] = value;
}

void CMerivexUSBDevice::SetLedColours(std::span<const int> indexes, std::span<const uint32_t> values) {
    std::lock_guard lock(m_frameMutex);
    for (size_t i = 0; i < std::min(indexes.size(), values.size()); ++i) {
        if (indexes[i] >= 0 && indexes[i] < m_ledCount) m_frame[static_cast<size_t>(indexes[i])] = values[i];
    }
}

uint32_t CMerivexUSBDevice::GetLedColour(int index) const {
    std::lock_guard lock(m_frameMutex);
    return (index >= 0 && index < m_ledCount) ? m_frame[static_cast<size_t>(index)] : 0;
}

void CMerivexUSBDevice::copyFrame(std::vector<uint32_t>& into) const {
    std::lock_guard lock(m_frameMutex);
    into.assign(m_frame.begin(), m_frame.end());
}

BaseLightSettings CMerivexUSBDevice::lightSettings() const {
    std::lock_guard lock(m_frameMutex);
    return m_light;
}

void CMerivexUSBDevice::SetLightSettings(const BaseLightSettings& settings) {
    std::lock_guard lock(m_frameMutex);
    m_light = settings;
}

void CMerivexUSBDevice::SetColours(uint32_t a, uint32_t b, uint32_t c) {
    m_colours = {a, b, c & 0xFF};
}

std::array<uint8_t, CMerivexUSBDevice::kFrameBufferSize> CMerivexUSBDevice::frameBuffer() const {
    std::array<uint8_t, kFrameBufferSize> buffer{};
    std::lock_guard lock(m_frameMutex);
    for (size_t i = 0; i < m_frame.size(); ++i) {
        const uint32_t v = m_frame[i];
        const uint32_t alpha = (v >> 24) & 0xFF;
        for (size_t channel = 0; channel < 3; ++channel) {
            const uint32_t value = (v >> (8 * channel)) & 0xFF;
            buffer[3 * i + channel] = static_cast<uint8_t>((value * alpha) >> 8);
        }
    }
    return buffer;
}

// Only while the application drives the lights, and only in the software-driven mode, does the frame go
// to the device: the queue sends the newest frame when the link is free, and pauses 200 ms after a failed
// one so an unplugged device is not flooded. The caller never waits.
void CMerivexUSBDevice::SendLightFrame() {
    if (!m_lightControl) return;
    if (lightSettings().mode != kSoftwareLightMode || !m_command.connected()) return;
    const auto buffer = frameBuffer();
    m_queue.postFrame(std::span(buffer).first(3 * static_cast<size_t>(ledCount())));
}

bool CMerivexUSBDevice::StreamsOnLightTick() const {
    return m_lightControl && lightSettings().mode == kSoftwareLightMode;
}

std::filesystem::path CMerivexUSBDevice::DefaultDataFile() const {
    return GetDefaultDataFolder() / (m_kindName + ".Json");
}

std::filesystem::path CMerivexUSBDevice::UserFolder() const {
    return GetDeviceDataFolder(m_kindName);
}

}  // namespace halvern
