#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devices/headset_audio.h"
#include "devices/light_record.h"
#include "devices/lit_device.h"
#include "devices/settings_commit.h"

namespace halvern {

class CHs6533Profiledata;

/// The settings of a light-only device's page.
struct LightRecordSettings {
    LightSetting light;
    bool operator==(const LightRecordSettings&) const = default;
};

/// What the mouse pad and the headset share: lights only, kept in a 21-byte settings record. The page keeps
/// its own copy of the record: a device read replaces it (the effects running on the page stay as they
/// are), the profile's light replaces its light fields, and its direction byte only ever comes from the
/// device. Every write sends that copy to record 0.
class CMerivexLightRecordDevice : public CMerivexLitDevice {
public:
    CMerivexLightRecordDevice(HidBackend& backend, const Kind& kind,
                              std::unique_ptr<CBasicProfiledata> profile);
    ~CMerivexLightRecordDevice() override;

    /// Reads the information block, loads the profile, shows it and starts the threads.
    void ActivatePage(Done done = {}) override { activate(std::move(done)); }
    /// Takes the profile's light into the effects and into the stored record.
    int LoadLightSettings() override;

    /// Stores `light` in the page and the profile and sends the record; a refusal brings the light the
    /// device took last back (page, record and profile). Without `persist` the profile file is not
    /// written for this change.
    void ChangeLight(const LightSetting& light, Done done, bool persist = true);

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
    static constexpr int kMagicVoiceTypes = HeadsetAudio::kMagicVoiceTypes;  ///< voice types 1-4
    /// SaveCustomEq's results.
    static constexpr int kEqSaved = 1;
    static constexpr int kEqNameExists = 0;
    static constexpr int kEqRefused = -1;
    static constexpr int kEqNameInvalid = -2;  ///< the name rule refuses the name (CheckName)

    explicit CMerivexHS6533Device(HidBackend& backend);
    ~CMerivexHS6533Device() override;

    /// The library the audio settings go through (before ActivatePage).
    void SetAudioLibrary(std::unique_ptr<audio::AudioConfigLibrary> library);
    /// Opens the page as the pad does, then starts the library (once) and takes the recording device's
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

    /// Noise suppression of the microphone and virtual surround, as the library said at the last reading
    /// or change (the sound server holds them, not the profile); nothing while not known.
    [[nodiscard]] std::optional<bool> noiseSuppression() const { return m_noiseSuppression; }
    [[nodiscard]] std::optional<bool> surround() const { return m_surround; }
    /// Switches one of them. The library is called on the device's queue, never on the caller's thread;
    /// `done` hears the result on the owner's thread (a refusal: DeviceResult::Refused).
    void SetNoiseSuppression(bool on, Done done);
    void SetSurround(bool on, Done done);

    /// As every device; once the headset took the defaults, the library takes the default sound settings
    /// too (what it refuses is read back into the profile), and the user's custom EQs stay, as they stay
    /// when a profile is reset.
    void RestoreDefaults(Done done = {}) override;

    /// Computes the current effect frame and sends its 12 LED reports once (a job of the device's queue).
    void SendFrameOnce(Done done);

    /// The library behind the audio settings (null without one), and the headset's use of it (null
    /// without a library).
    [[nodiscard]] audio::AudioConfigLibrary* audioLibrary() { return m_library.get(); }
    [[nodiscard]] HeadsetAudio* audio() { return m_audio.get(); }
    /// False when the library is ready but has nothing to act on for `feature` (its control is shown
    /// disabled); true otherwise.
    [[nodiscard]] bool audioAvailable(HeadsetAudio::Feature feature) const;
    /// Whether the feature, switched on, stays on only while this program runs.
    [[nodiscard]] bool audioEndsWithProgram(HeadsetAudio::Feature feature) {
        return audioReady() && m_audio->endsWithProgram(feature);
    }

    // ---- The equaliser (headset_eq.cpp). Each edit writes the library first; a refusal changes nothing.
    /// The band values the page shows and the library plays.
    [[nodiscard]] const HeadsetAudio::Bands& eqBands() const { return m_bands; }
    [[nodiscard]] std::vector<std::string> customEqNames();
    /// The custom EQ the page has chosen: its index while the EQ type is the custom one and an entry is
    /// chosen; nothing otherwise.
    [[nodiscard]] std::optional<int> chosenCustomEq();
    /// Preset `type` (1-12): its bands to the library, kept as the profile's row of the preset.
    [[nodiscard]] bool SelectEqPreset(int type);
    /// The custom EQ type: the chosen custom EQ's bands go to the library (none chosen: the bands stay).
    [[nodiscard]] bool SelectCustomEq();
    /// One band (0-9) moved: the EQ becomes the custom one; under a preset no saved entry is chosen.
    [[nodiscard]] bool MoveEqBand(int band, int value);
    /// Custom EQ `index` chosen: its bands go to the library and it becomes the EQ.
    [[nodiscard]] bool ChooseCustomEq(int index);
    /// Saves the shown bands: under `name` as a new custom EQ, or with an empty name over the chosen one.
    /// kEqSaved; kEqNameExists when a name equal to it but for letter case exists; kEqRefused for an empty
    /// name with none chosen or a 21st name; kEqNameInvalid for a name the name rule refuses.
    [[nodiscard]] int SaveCustomEq(std::string_view name);
    /// Deletes custom EQ `index`. While the custom EQ plays, the first one left takes over, or preset 1
    /// when none is left (their bands go to the library first).
    [[nodiscard]] bool DeleteCustomEq(int index);

protected:
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    /// Sends the reports one by one; one that fails does not stop the others, and none is sent again.
    [[nodiscard]] int sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) override;

    /// The profile's EQ: its bands become the page's.
    void takeSettingsFromProfile() override;

private:
    /// Starts the library once, with the profile's levels for what it does not hold, plays the profile's
    /// equaliser and follows the library's devices from then on.
    void startAudio();
    void playProfileEqualiser();
    /// The library's devices may have changed: a headset sound device that came is started (the page
    /// shows its values), one that went leaves the audio settings not ready.
    void audioDevicesChanged();
    [[nodiscard]] bool changeAudio(const std::function<bool(HeadsetAudio&)>& write,
                                   const std::function<void(HeadsetSystem&)>& store);
    [[nodiscard]] CHs6533Profiledata& headsetProfile();
    void saveAudio(const HeadsetSystem& system);
    /// The bands of the profile's EQ type (the library's own for the custom type with no entry chosen).
    [[nodiscard]] HeadsetAudio::Bands profileBands();
    /// The bands to the library; on success they are the page's.
    [[nodiscard]] bool playBands(const HeadsetAudio::Bands& bands);
    /// Writes the profile's microphone, monitor and voice changer settings to the library, then reads the
    /// library's values back into the profile.
    void playProfileSound();
    /// Takes the library's reading into the page's audio state and the profile.
    void takeReading(const HeadsetAudio::Reading& reading);
    void setSwitch(HeadsetAudio::Feature feature, bool on, Done done);

    std::unique_ptr<audio::AudioConfigLibrary> m_library;
    std::unique_ptr<HeadsetAudio> m_audio;
    std::optional<HeadsetAudio::Start> m_audioStart;
    HeadsetAudio::Bands m_bands{};
    std::optional<bool> m_noiseSuppression;
    std::optional<bool> m_surround;
};

}  // namespace halvern
