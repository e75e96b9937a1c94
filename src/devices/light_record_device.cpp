#include "devices/light_record_device.h"

#include <algorithm>

#include "devices/headset_led_reports.h"
#include "profile/hs6533_profiledata.h"

namespace halvern {

CMerivexLightRecordDevice::CMerivexLightRecordDevice(HidBackend& backend, const Kind& kind,
                                                     std::unique_ptr<CBasicProfiledata> profile)
    : CMerivexKeyedDevice(backend, kind),
      m_profile(std::move(profile)),
      m_commit(m_settings, {[this](Done done) { sendSettingsRecord(std::move(done)); },
                            [this](const LightRecordSettings& settings) { takeLight(settings.light); },
                            [this] { return SaveProfile(); },
                            [this](const LightRecordSettings& before, const LightRecordSettings& after) {
                                if (after.light != before.light) applyLight(after.light, false);
                            }}) {
    m_profile->SetDeviceIndex(0);
}

CMerivexLightRecordDevice::~CMerivexLightRecordDevice() {
    stopThreads();
}

void CMerivexLightRecordDevice::takeLight(const LightSetting& light) {
    m_settings.light = light;
    m_profile->SetLightInfo(light);
    light_record::TakeLight(m_stored, light);
}

void CMerivexLightRecordDevice::takeSettingsFromProfile() {
    m_settings.light = m_profile->GetLightInfo();
    m_commit.reset();
}

int CMerivexLightRecordDevice::LoadLightSettings() {
    light_record::TakeLight(m_stored, m_profile->GetLightInfo());
    return CMerivexKeyedDevice::LoadLightSettings();
}

void CMerivexLightRecordDevice::ChangeLight(const LightSetting& light, Done done) {
    takeLight(light);
    m_commit.commit(std::move(done));
}

// A read replaces the stored record only: the page goes on showing and running the profile's light.
void CMerivexLightRecordDevice::takeStateRecord(std::span<const uint8_t> record) {
    m_stored = light_record::FromDevice(record, lightLists().values);
}

std::optional<CMerivexKeyedDevice::Record> CMerivexLightRecordDevice::settingsRecord(int slot, int, int, int,
                                                                                     int) {
    if (slot < 0 || slot * light_record::kWriteStride > 0xFFFF) return std::nullopt;
    const light_record::Record record = light_record::ForDevice(m_stored, lightLists().values);
    return Record{{record.begin(), record.end()}, static_cast<uint16_t>(slot * light_record::kWriteStride)};
}

// ---- Streaming: the software mode's frames, 3 bytes per LED ----

bool CMerivexLightRecordDevice::streamWanted(std::chrono::milliseconds& minPeriod) {
    minPeriod = std::chrono::milliseconds(10);
    return lightControl() && commandChannel().connected() && lightSettings().mode == kSoftwareLightMode;
}

size_t CMerivexLightRecordDevice::buildStreamFrame(const LedFrame& frame,
                                                   DeviceQueue::FrameBuffer& buffer) const {
    const size_t leds = std::min(static_cast<size_t>(ledCount()), frame.size());
    return frame.writeShownBytes(std::span(buffer).first(std::min(3 * leds, buffer.size())));
}

// ---- The mouse pad ----

namespace {

constexpr int kMousePadLightKind = 2;

constexpr CMerivexKeyedDevice::Kind kMousePadKind{
    DeviceKind::MousePad, kMousePadLightKind, {}, "MS设备同步线程设定退出", "factory_keys", false, true};

}  // namespace

CMerivexMousePadDevice::CMerivexMousePadDevice(HidBackend& backend)
    : CMerivexLightRecordDevice(backend, kMousePadKind, std::make_unique<CBasicProfiledata>()) {}

CMerivexMousePadDevice::~CMerivexMousePadDevice() {
    stopThreads();
}

// ---- The headset ----

namespace {

constexpr int kHeadsetLightKind = 3;
constexpr std::chrono::milliseconds kHeadsetFramePeriod{40};  // the preview's pace

constexpr CMerivexKeyedDevice::Kind kHeadsetKind{
    DeviceKind::Headset, kHeadsetLightKind, {}, "MS设备同步线程设定退出", "factory_keys", false, true};

}  // namespace

CMerivexHS6533Device::CMerivexHS6533Device(HidBackend& backend)
    : CMerivexLightRecordDevice(backend, kHeadsetKind, std::make_unique<CHs6533Profiledata>()) {}

CMerivexHS6533Device::~CMerivexHS6533Device() {
    stopThreads();
}

bool CMerivexHS6533Device::streamWanted(std::chrono::milliseconds& minPeriod) {
    minPeriod = kHeadsetFramePeriod;
    return lightControl() && commandChannel().connected();
}

size_t CMerivexHS6533Device::buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const {
    return headset_leds::BuildReports(frame, buffer);
}

int CMerivexHS6533Device::sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) {
    bool allSent = true;
    for (size_t at = 0; at + headset_leds::kReportSize <= frame.size(); at += headset_leds::kReportSize)
        allSent =
            channel.cableInterface().SetOutputReport(frame.subspan(at, headset_leds::kReportSize)) && allSent;
    return allSent ? result::kSuccess : result::kWriteFailed;
}

}  // namespace halvern
