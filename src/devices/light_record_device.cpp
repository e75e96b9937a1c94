#include "devices/light_record_device.h"

#include <algorithm>
#include <memory>

#include "device/debug_sink.h"
#include "devices/headset_led_reports.h"
#include "profile/hs6533_profiledata.h"

namespace halvern {

CMerivexLightRecordDevice::CMerivexLightRecordDevice(HidBackend& backend, const Kind& kind,
                                                     std::unique_ptr<CBasicProfiledata> profile)
    : CMerivexLitDevice(backend, kind),
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
    return CMerivexLitDevice::LoadLightSettings();
}

void CMerivexLightRecordDevice::ChangeLight(const LightSetting& light, Done done, bool persist) {
    takeLight(light);
    m_commit.commit(std::move(done), persist);
}

// A read replaces the stored record only: the page goes on showing and running the profile's light.
void CMerivexLightRecordDevice::takeStateRecord(std::span<const uint8_t> record) {
    m_stored = light_record::FromDevice(record, lightLists().values);
}

std::optional<CMerivexLitDevice::Record> CMerivexLightRecordDevice::settingsRecord(int slot, int, int, int,
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

constexpr CMerivexLitDevice::Kind kMousePadKind{DeviceKind::MousePad, kMousePadLightKind,
                                                "MS设备同步线程设定退出", false};

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

constexpr CMerivexLitDevice::Kind kHeadsetKind{DeviceKind::Headset, kHeadsetLightKind,
                                               "MS设备同步线程设定退出", false};

}  // namespace

CMerivexHS6533Device::CMerivexHS6533Device(HidBackend& backend)
    : CMerivexLightRecordDevice(backend, kHeadsetKind, std::make_unique<CHs6533Profiledata>()) {}

CMerivexHS6533Device::~CMerivexHS6533Device() {
    if (m_library) m_library->WatchDevices({});
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

void CMerivexHS6533Device::SendFrameOnce(Done done) {
    // Built on the queue's worker, where the streamed frames are built too.
    queue().submit(
        [this](CommandChannel& channel) {
            LedFrame frame(static_cast<size_t>(ledCount()));
            lighting().nextFrame(frame);
            DeviceQueue::FrameBuffer buffer{};
            const size_t length = buildStreamFrame(frame, buffer);
            if (length != headset_leds::kFrameSize) return DeviceResult::Refused(DeviceStep::Frame);
            return DeviceResult::FromCode(sendStreamFrame(channel, std::span(buffer).first(length)),
                                          DeviceStep::Frame);
        },
        std::move(done));
}

// ---- The headset's sound settings ----

void CMerivexHS6533Device::SetAudioLibrary(std::unique_ptr<audio::AudioConfigLibrary> library) {
    if (m_library) m_library->WatchDevices({});
    m_audio.reset();
    m_audioStart.reset();
    m_library = std::move(library);
    if (m_library) m_audio = std::make_unique<HeadsetAudio>(*m_library);
}

HeadsetSystem CMerivexHS6533Device::audioSettings() {
    return headsetProfile().GetHeadsetSystem();
}

// The library starts once the profile is loaded: what it cannot tell (a level it does not hold) it takes
// from the profile, and the profile's equaliser plays from the start.
void CMerivexHS6533Device::ActivatePage(Done done) {
    CMerivexLightRecordDevice::ActivatePage([this, done](DeviceResult result) {
        startAudio();
        if (audioReady()) {
            takeReading(m_audio->read());
            ShowSettings();
        }
        if (done) done(result);
    });
}

void CMerivexHS6533Device::startAudio() {
    if (!m_audio || m_audioStart) return;
    m_audioStart = m_audio->start(audioSettings());
    playProfileEqualiser();
    // The sound device may come after the headset's HID interface (or the sound server after the
    // program), and may go again: the library's news reach this thread through the queue's executor.
    m_library->WatchDevices(
        [this] { queue().completeLater([this](DeviceResult) { audioDevicesChanged(); }, {}); });
}

void CMerivexHS6533Device::playProfileEqualiser() {
    if (!audioReady()) return;
    const HeadsetAudio::Bands previous = m_bands;
    m_bands = profileBands();
    if (!m_audio->setEqualiser(m_bands, previous)) debugLog("the profile's equaliser could not be set");
}

void CMerivexHS6533Device::audioDevicesChanged() {
    if (!m_audio || !m_audioStart || !m_audio->devicesChanged(audioSettings())) return;
    m_audioStart = m_audio->start(audioSettings());  // the new start's answer
    playProfileEqualiser();
    if (audioReady()) {
        takeReading(m_audio->read());
    } else {
        m_noiseSuppression.reset();
        m_surround.reset();
    }
    ShowSettings();
}

bool CMerivexHS6533Device::changeAudio(const std::function<bool(HeadsetAudio&)>& write,
                                       const std::function<void(HeadsetSystem&)>& store) {
    if (!audioReady() || !write(*m_audio)) return false;
    HeadsetSystem system = audioSettings();
    store(system);
    saveAudio(system);
    return true;
}

bool CMerivexHS6533Device::SetMicrophone(bool on) {
    return changeAudio([on](HeadsetAudio& a) { return a.setMicrophoneOn(on); },
                       [on](HeadsetSystem& s) { s.micInSelect = on ? 1 : 0; });
}

bool CMerivexHS6533Device::SetMicrophoneLevel(int percent) {
    percent = std::clamp(percent, 0, 100);
    return changeAudio([percent](HeadsetAudio& a) { return a.setMicrophoneLevel(percent); },
                       [percent](HeadsetSystem& s) { s.micInValue = percent; });
}

bool CMerivexHS6533Device::SetMonitor(bool on) {
    return changeAudio([on](HeadsetAudio& a) { return a.setMonitorOn(on); },
                       [on](HeadsetSystem& s) { s.micMonitorSelect = on ? 1 : 0; });
}

bool CMerivexHS6533Device::SetMonitorLevel(int percent) {
    percent = std::clamp(percent, 0, 100);
    return changeAudio([percent](HeadsetAudio& a) { return a.setMonitorLevel(percent); },
                       [percent](HeadsetSystem& s) { s.micMonitorValue = percent; });
}

bool CMerivexHS6533Device::SetMagicVoice(bool on) {
    return changeAudio([on](HeadsetAudio& a) { return a.setMagicVoice(on); },
                       [on](HeadsetSystem& s) { s.magicEnable = on ? 1 : 0; });
}

bool CMerivexHS6533Device::SetMagicVoiceType(int type) {
    if (type < 1 || type > kMagicVoiceTypes) return false;
    return changeAudio([type](HeadsetAudio& a) { return a.setMagicVoiceType(type); },
                       [type](HeadsetSystem& s) { s.magicType = type; });
}

void CMerivexHS6533Device::takeReading(const HeadsetAudio::Reading& reading) {
    HeadsetSystem system = audioSettings();
    HeadsetAudio::TakeReading(reading, system);
    saveAudio(system);
    m_noiseSuppression = reading.noiseSuppression;
    m_surround = reading.surround;
}

void CMerivexHS6533Device::SetNoiseSuppression(bool on, Done done) {
    setSwitch(HeadsetAudio::Feature::NoiseSuppression, on, std::move(done));
}

void CMerivexHS6533Device::SetSurround(bool on, Done done) {
    setSwitch(HeadsetAudio::Feature::Surround, on, std::move(done));
}

// The sound server may take a while (loading a filter, writing its impulse responses): the call runs as
// a job of the device's queue, and only its answer comes back to this thread.
void CMerivexHS6533Device::setSwitch(HeadsetAudio::Feature feature, bool on, Done done) {
    if (!audioReady()) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    auto answer = std::make_shared<int>(-1);
    queue().submit(
        [library = m_library.get(), devices = m_audio->devices(), feature, on, answer](CommandChannel&) {
            *answer = HeadsetAudio::WriteSwitch(*library, devices, feature, on);
            return *answer == 0 ? DeviceResult{} : DeviceResult::Refused(DeviceStep::None);
        },
        [this, feature, on, answer, done](DeviceResult result) {
            if (m_audio) m_audio->takeSwitchResult(feature, *answer);
            if (result) (feature == HeadsetAudio::Feature::Surround ? m_surround : m_noiseSuppression) = on;
            if (done) done(result);
        });
}

}  // namespace halvern
