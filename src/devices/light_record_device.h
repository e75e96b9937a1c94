#pragma once

#include <memory>

#include "devices/headset_audio.h"
#include "devices/keyed_device.h"
#include "devices/light_record.h"
#include "devices/settings_commit.h"

namespace halvern {

/// The settings of a light-only device's page.
struct LightRecordSettings {
    LightSetting light;
    bool operator==(const LightRecordSettings&) const = default;
};

/// What the mouse pad and the headset share: lights only, kept in a 21-byte settings record. The page keeps
/// its own copy of the record: a device read replaces it (the effects running on the page stay as they
/// are), the profile's light replaces its light fields, and its direction byte only ever comes from the
/// device. Every write sends that copy to record 0.
class CMerivexLightRecordDevice : public CMerivexKeyedDevice {
public:
    CMerivexLightRecordDevice(HidBackend& backend, const Kind& kind,
                              std::unique_ptr<CBasicProfiledata> profile);
    ~CMerivexLightRecordDevice() override;

    /// Reads the information block, loads the profile, shows it and starts the threads.
    void ActivatePage(Done done = {}) override { activate(std::move(done)); }
    /// Takes the profile's light into the effects and into the stored record.
    int LoadLightSettings() override;

    /// Stores `light` in the page and the profile and sends the record; a refusal brings the light the
    /// device took last back (page, record and profile).
    void ChangeLight(const LightSetting& light, Done done);

    [[nodiscard]] const LightRecordSettings& settings() const { return m_settings; }
    [[nodiscard]] CBasicProfiledata& profile() { return *m_profile; }
    [[nodiscard]] const light_record::Record& storedRecord() const { return m_stored; }

protected:
    [[nodiscard]] CBasicProfiledata& basicProfile() override { return *m_profile; }
    void takeSettingsFromProfile() override;
    [[nodiscard]] LightSetting& pageLight() override { return m_settings.light; }
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    [[nodiscard]] std::optional<Record> settingsRecord(int slot, int firstByte, int byte68, int width,
                                                       int height) override;
    [[nodiscard]] size_t stateRecordSize() const override { return light_record::kReadSize; }
    [[nodiscard]] uint16_t stateRecordStride() const override { return light_record::kReadStride; }
    void takeStateRecord(std::span<const uint8_t> record) override;
    [[nodiscard]] bool readsStateOnActivation() const override { return false; }

private:
    void takeLight(const LightSetting& light);

    std::unique_ptr<CBasicProfiledata> m_profile;
    LightRecordSettings m_settings;
    light_record::Record m_stored{};
    SettingsCommit<LightRecordSettings> m_commit;
};

/// The RGB mouse pad: 15 LEDs, its light record and effects.
class CMerivexMousePadDevice final : public CMerivexLightRecordDevice {
public:
    explicit CMerivexMousePadDevice(HidBackend& backend);
    ~CMerivexMousePadDevice() override;
};

/// The headset: 13 LEDs whose colours always come from the computer's frames, sent as 12 LED output
/// reports per frame, and its light record.
///
/// Its sound settings go through the sound card's configuration library given to SetAudioLibrary; without
/// one (or without a playback device) the audio settings keep their profile values and every audio edit
/// is refused. An edit the library refuses leaves the profile as it was.
class CMerivexHS6533Device final : public CMerivexLightRecordDevice {
public:
    static constexpr int kMagicVoiceTypes = 4;  ///< voice types 1-4

    explicit CMerivexHS6533Device(HidBackend& backend);
    ~CMerivexHS6533Device() override;

    /// The library the audio settings go through (before ActivatePage).
    void SetAudioLibrary(std::unique_ptr<audio::AudioConfigLibrary> library);
    /// Starts the library (once), then opens the page as the pad does and takes the recording device's
    /// values into the page and the profile.
    void ActivatePage(Done done = {}) override;
    /// How starting the library went; nothing before ActivatePage or without a library.
    [[nodiscard]] std::optional<HeadsetAudio::Start> audioStart() const { return m_audioStart; }
    [[nodiscard]] bool audioReady() const { return m_audio && m_audio->ready(); }
    [[nodiscard]] HeadsetSystem audioSettings();

    // Audio edits: written to the library at once, then stored in the profile (saved). False, with
    // nothing changed, when the library is not ready or refused the value.
    [[nodiscard]] bool SetMicrophone(bool on);
    [[nodiscard]] bool SetMicrophoneLevel(int percent);
    [[nodiscard]] bool SetMonitor(bool on);
    [[nodiscard]] bool SetMonitorLevel(int percent);
    [[nodiscard]] bool SetMagicVoice(bool on);
    [[nodiscard]] bool SetMagicVoiceType(int type);

protected:
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    /// Sends the reports one by one; one that fails does not stop the others, and none is sent again.
    [[nodiscard]] int sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) override;

private:
    [[nodiscard]] bool changeAudio(const std::function<bool(HeadsetAudio&)>& write,
                                   const std::function<void(HeadsetSystem&)>& store);

    std::unique_ptr<audio::AudioConfigLibrary> m_library;
    std::unique_ptr<HeadsetAudio> m_audio;
    std::optional<HeadsetAudio::Start> m_audioStart;
};

}  // namespace halvern
