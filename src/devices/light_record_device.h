#pragma once

#include <functional>
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

    /// The library the audio settings go through (before ActivatePage: the device's queue calls it).
    void SetAudioLibrary(std::unique_ptr<audio::AudioConfigLibrary> library);
    /// Opens the page as the pad does, then starts the library (once) and takes the recording device's
    /// values into the page and the profile, as a job of the device's queue; `done` hears the page's
    /// activation once that job answered.
    void ActivatePage(Done done = {}) override;
    /// How starting the library went; nothing before ActivatePage or without a library.
    [[nodiscard]] std::optional<HeadsetAudio::Start> audioStart() const {
        return m_audio ? m_audio->started() : std::nullopt;
    }
    [[nodiscard]] bool audioReady() const { return m_audio && m_audio->ready(); }
    [[nodiscard]] HeadsetSystem audioSettings();

    // Audio edits. The library is called on the device's queue, never on the caller's thread, in the order
    // the edits were made; `done` hears the result on the owner's thread, and only then are the page's state
    // and the profile changed (and saved). A refusal (no ready library, a value out of range, the library
    // refused it) changes nothing and reports DeviceResult::Refused.
    void SetMicrophone(bool on, Done done);
    void SetMicrophoneLevel(int percent, Done done);
    void SetMonitor(bool on, Done done);
    void SetMonitorLevel(int percent, Done done);
    void SetMagicVoice(bool on, Done done);
    void SetMagicVoiceType(int type, Done done);

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

    // ---- The equaliser (headset_eq.cpp). Each edit is an audio edit as above: the library first, on the
    // device's queue; page and profile change when `done` hears that it took the bands.
    /// The band values the page shows and the library plays.
    [[nodiscard]] const HeadsetAudio::Bands& eqBands() const { return m_bands; }
    [[nodiscard]] std::vector<std::string> customEqNames();
    /// The custom EQ the page has chosen: its index while the EQ type is the custom one and an entry is
    /// chosen; nothing otherwise.
    [[nodiscard]] std::optional<int> chosenCustomEq();
    /// Preset `type` (1-12): its bands to the library, kept as the profile's row of the preset.
    void SelectEqPreset(int type, Done done);
    /// The custom EQ type: the chosen custom EQ's bands go to the library (none chosen: the bands stay).
    void SelectCustomEq(Done done);
    /// One band (0-9) moved: the EQ becomes the custom one; under a preset no saved entry is chosen.
    void MoveEqBand(int band, int value, Done done);
    /// Custom EQ `index` chosen: its bands go to the library and it becomes the EQ.
    void ChooseCustomEq(int index, Done done);
    /// Saves the shown bands: under `name` as a new custom EQ, or with an empty name over the chosen one.
    /// kEqSaved; kEqNameExists when a name equal to it but for letter case exists; kEqRefused for an empty
    /// name with none chosen or a 21st name; kEqNameInvalid for a name the name rule refuses. The library
    /// is not called: this changes the profile alone, at once.
    [[nodiscard]] int SaveCustomEq(std::string_view name);
    /// Deletes custom EQ `index`. While the custom EQ plays, the first one left takes over, or preset 1
    /// when none is left (their bands go to the library first). Refused when the custom EQs changed
    /// between the call and the answer.
    void DeleteCustomEq(int index, Done done);

protected:
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    /// Sends the reports one by one; one that fails does not stop the others, and none is sent again.
    [[nodiscard]] int sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) override;

    /// The profile's EQ: its bands become the page's.
    void takeSettingsFromProfile() override;

private:
    /// A job's work on its copy of the sound state (on the queue's worker), and what its answer does on
    /// this thread when the work succeeded (its result is the edit's).
    using AudioCall = std::function<DeviceResult(HeadsetAudio&)>;
    using AudioAccepted = std::function<DeviceResult()>;
    /// Runs `call` as a job of the device's queue on a copy of the sound state, then, on this thread and in
    /// the order of submission, takes back what the copy learned and runs `accepted` when the call
    /// succeeded, then `done`. Refused at once without a ready library. An empty `call` needs no library:
    /// `accepted` then keeps its place among the library's edits.
    void runAudio(AudioCall call, AudioAccepted accepted, Done done);
    /// Starts the library once (with the profile's levels for what it does not hold, playing the profile's
    /// equaliser), reads the recording device's values into the page and the profile, and follows the
    /// library's devices from then on; `then` runs once that is done (or at once without a library).
    void startAudio(std::function<void()> then);
    /// The library's devices may have changed: a headset sound device that came is started (the page
    /// shows its values), one that went leaves the audio settings not ready.
    void audioDevicesChanged();
    /// Takes a started copy's state, the bands it played and its reading, and shows them.
    void takeStartedAudio(const HeadsetAudio& worked, const std::optional<HeadsetAudio::Bands>& played,
                          const HeadsetAudio::Reading& reading);
    void changeAudio(std::function<bool(HeadsetAudio&)> write, std::function<void(HeadsetSystem&)> store,
                     Done done);
    [[nodiscard]] CHs6533Profiledata& headsetProfile();
    void saveAudio(const HeadsetSystem& system);
    /// The bands of the profile's EQ type; nothing for the custom type with no entry chosen (the library's
    /// own bands play then).
    [[nodiscard]] std::optional<HeadsetAudio::Bands> profileBands();
    /// Plays the profile's equaliser (a queue job); its answer shows the bands.
    void playProfileEqualiser();
    /// Writes the profile's microphone, monitor and voice changer settings to the library, then reads the
    /// library's values back into the profile (a queue job).
    void playProfileSound(Done done);
    /// Takes the library's reading into the page's audio state and the profile.
    void takeReading(const HeadsetAudio::Reading& reading);
    void setSwitch(HeadsetAudio::Feature feature, bool on, Done done);

    std::unique_ptr<audio::AudioConfigLibrary> m_library;
    std::unique_ptr<HeadsetAudio> m_audio;
    HeadsetAudio::Bands m_bands{};
    std::optional<bool> m_noiseSuppression;
    std::optional<bool> m_surround;
};

}  // namespace halvern
