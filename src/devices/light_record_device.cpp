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
//
// The sound server may take up to its deadline for a call (loading a filter module, waiting for a default
// device): every call of the library runs as a job of the device's queue, on a copy of the sound state made
// here, and only the job's answer, back on this thread, changes the page's state and the profile.

namespace {

DeviceResult audioRefused() {
    return DeviceResult::Refused(DeviceStep::None);
}

}  // namespace

void CMerivexHS6533Device::SetAudioLibrary(std::unique_ptr<audio::AudioConfigLibrary> library) {
    if (m_library) m_library->WatchDevices({});
    m_audio.reset();
    m_library = std::move(library);
    if (m_library) m_audio = std::make_unique<HeadsetAudio>(*m_library);
}

HeadsetSystem CMerivexHS6533Device::audioSettings() {
    return headsetProfile().GetHeadsetSystem();
}

void CMerivexHS6533Device::runAudio(AudioCall call, AudioAccepted accepted, Done done) {
    if (call && !audioReady()) {
        queue().completeLater(done, audioRefused());
        return;
    }
    auto worked = call ? std::make_shared<HeadsetAudio>(*m_audio) : nullptr;
    queue().submit(
        [call = std::move(call), worked](CommandChannel&) { return call ? call(*worked) : DeviceResult{}; },
        [this, worked, accepted = std::move(accepted), done = std::move(done)](DeviceResult result) {
            if (worked && m_audio) m_audio->takeMarksOf(*worked);
            if (result && accepted) result = accepted();
            if (done) {
                done(result);
            } else if (!result) {
                debugLog("a sound setting was not taken");
            }
        });
}

// The library starts once the profile is loaded: what it cannot tell (a level it does not hold) it takes
// from the profile, and the profile's equaliser plays from the start. The page opens once the library
// answered.
void CMerivexHS6533Device::ActivatePage(Done done) {
    CMerivexLightRecordDevice::ActivatePage([this, done](DeviceResult result) {
        startAudio([done, result] {
            if (done) done(result);
        });
    });
}

void CMerivexHS6533Device::startAudio(std::function<void()> then) {
    if (!m_audio) {
        then();
        return;
    }
    const bool starting = !m_audio->started().has_value();
    auto worked = std::make_shared<HeadsetAudio>(*m_audio);
    auto played = std::make_shared<std::optional<HeadsetAudio::Bands>>();
    auto reading = std::make_shared<HeadsetAudio::Reading>();
    queue().submit(
        [worked, played, reading, starting, user = audioSettings(), wanted = profileBands(),
         previous = m_bands](CommandChannel&) {
            // The start's answer stays in the copy; a library that did not start reads nothing.
            if (starting && worked->start(user) == HeadsetAudio::Start::Ready)
                *played = worked->playProfileBands(wanted, previous);
            *reading = worked->read();
            return DeviceResult{};
        },
        [this, worked, played, reading, starting, then = std::move(then)](DeviceResult) {
            if (m_audio && starting && !m_audio->started()) {
                takeStartedAudio(*worked, *played, *reading);
                // The sound device may come after the headset's HID interface (or the sound server after
                // the program), and may go again: the library's news reach this thread through the queue's
                // executor.
                m_library->WatchDevices(
                    [this] { queue().completeLater([this](DeviceResult) { audioDevicesChanged(); }, {}); });
            } else if (m_audio && worked->ready() && m_audio->ready()) {
                m_audio->takeMarksOf(*worked);
                takeReading(*reading);
                ShowSettings();
            }
            then();
        });
}

void CMerivexHS6533Device::takeStartedAudio(const HeadsetAudio& worked,
                                            const std::optional<HeadsetAudio::Bands>& played,
                                            const HeadsetAudio::Reading& reading) {
    m_audio->takeStateOf(worked);
    if (played) m_bands = *played;
    if (audioReady()) {
        takeReading(reading);
    } else {
        m_noiseSuppression.reset();
        m_surround.reset();
    }
    ShowSettings();
}

void CMerivexHS6533Device::audioDevicesChanged() {
    if (!m_audio || !m_audio->started()) return;
    auto worked = std::make_shared<HeadsetAudio>(*m_audio);
    auto changed = std::make_shared<bool>(false);
    auto played = std::make_shared<std::optional<HeadsetAudio::Bands>>();
    auto reading = std::make_shared<HeadsetAudio::Reading>();
    queue().submit(
        [worked, changed, played, reading, user = audioSettings(), wanted = profileBands(),
         previous = m_bands](CommandChannel&) {
            *changed = worked->devicesChanged(user);
            if (*changed) {
                *played = worked->playProfileBands(wanted, previous);
                *reading = worked->read();
            }
            return DeviceResult{};
        },
        [this, worked, changed, played, reading](DeviceResult) {
            if (*changed && m_audio) takeStartedAudio(*worked, *played, *reading);
        });
}

void CMerivexHS6533Device::changeAudio(std::function<bool(HeadsetAudio&)> write,
                                       std::function<void(HeadsetSystem&)> store, Done done) {
    runAudio([write = std::move(write)](
                 HeadsetAudio& audio) { return write(audio) ? DeviceResult{} : audioRefused(); },
             [this, store = std::move(store)] {
                 HeadsetSystem system = audioSettings();
                 store(system);
                 saveAudio(system);
                 return DeviceResult{};
             },
             std::move(done));
}

void CMerivexHS6533Device::SetMicrophone(bool on, Done done) {
    changeAudio([on](HeadsetAudio& a) { return a.setMicrophoneOn(on); },
                [on](HeadsetSystem& s) { s.micInSelect = on ? 1 : 0; }, std::move(done));
}

void CMerivexHS6533Device::SetMicrophoneLevel(int percent, Done done) {
    percent = std::clamp(percent, 0, 100);
    changeAudio([percent](HeadsetAudio& a) { return a.setMicrophoneLevel(percent); },
                [percent](HeadsetSystem& s) { s.micInValue = percent; }, std::move(done));
}

void CMerivexHS6533Device::SetMonitor(bool on, Done done) {
    changeAudio([on](HeadsetAudio& a) { return a.setMonitorOn(on); },
                [on](HeadsetSystem& s) { s.micMonitorSelect = on ? 1 : 0; }, std::move(done));
}

void CMerivexHS6533Device::SetMonitorLevel(int percent, Done done) {
    percent = std::clamp(percent, 0, 100);
    changeAudio([percent](HeadsetAudio& a) { return a.setMonitorLevel(percent); },
                [percent](HeadsetSystem& s) { s.micMonitorValue = percent; }, std::move(done));
}

void CMerivexHS6533Device::SetMagicVoice(bool on, Done done) {
    changeAudio([on](HeadsetAudio& a) { return a.setMagicVoice(on); },
                [on](HeadsetSystem& s) { s.magicEnable = on ? 1 : 0; }, std::move(done));
}

void CMerivexHS6533Device::SetMagicVoiceType(int type, Done done) {
    if (type < 1 || type > kMagicVoiceTypes) {
        queue().completeLater(done, audioRefused());
        return;
    }
    changeAudio([type](HeadsetAudio& a) { return a.setMagicVoiceType(type); },
                [type](HeadsetSystem& s) { s.magicType = type; }, std::move(done));
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

// The sound server may take a while (loading a filter, writing its impulse responses): the switch is an
// audio edit like the others, and only its answer changes what this thread holds.
void CMerivexHS6533Device::setSwitch(HeadsetAudio::Feature feature, bool on, Done done) {
    const bool surround = feature == HeadsetAudio::Feature::Surround;
    runAudio(
        [surround, on](HeadsetAudio& audio) {
            return (surround ? audio.setSurround(on) : audio.setNoiseSuppression(on)) ? DeviceResult{}
                                                                                      : audioRefused();
        },
        [this, surround, on] {
            (surround ? m_surround : m_noiseSuppression) = on;
            return DeviceResult{};
        },
        std::move(done));
}

}  // namespace halvern
