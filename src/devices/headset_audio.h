#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "devices/audio_config_library.h"
#include "profile/profile_records.h"

namespace halvern {

/// The headset's sound settings through the sound card's configuration library: starting it (device
/// choice, properties brought to their defaults), reading the recording device's values, and the writes of
/// the page's microphone, monitor and voice controls. One object is used by one thread at a time: the
/// device keeps its own on its thread and hands a copy to each job of its queue, which makes the library's
/// calls on the copy; the job's answer brings back what the copy learned (takeStateOf, takeMarksOf).
class HeadsetAudio {
public:
    enum class Start { Ready, InitFailed, NoPlayback };
    /// What the page's audio controls act on; the library may have nothing to act on for some of them.
    enum class Feature : uint8_t {
        Equaliser,
        Microphone,
        MicrophoneLevel,
        Monitor,
        MonitorLevel,
        MagicVoice,
        MagicVoiceType,
        Surround,
        NoiseSuppression,
    };
    static constexpr size_t kFeatureCount = 9;
    static constexpr size_t kEqBands = 10;
    static constexpr int kMagicVoiceTypes = 4;  ///< voice types 1-4
    using Bands = std::array<int32_t, kEqBands>;

    /// What the recording device reports (each value only when its read succeeded).
    struct Reading {
        std::optional<double> maxVolume, minVolume, volumeStep, volume;
        std::optional<bool> micOn;
        std::optional<int> micLevel;  ///< 0-100
        std::optional<double> monitorMax, monitorMin, monitorStep, monitorVolume;
        std::optional<bool> monitorOn;
        std::optional<int> monitorLevel;
        std::optional<int> magicEnable, magicType;
        std::optional<bool> noiseSuppression;  ///< of the recording device
        std::optional<bool> surround;          ///< of the playback device
    };

    explicit HeadsetAudio(audio::AudioConfigLibrary& library) : m_library(&library) {}

    /// Takes the state of `worked`, a copy that started (or started again): start, devices, features and
    /// what is unavailable.
    void takeStateOf(const HeadsetAudio& worked) { *this = worked; }
    /// Takes what `worked`, a copy that made calls, found unavailable. A copy made before this object
    /// started again (other devices) brings nothing.
    void takeMarksOf(const HeadsetAudio& worked);

    /// Starts the library once: init, device lists, device choice, defaults, feature lists. Later calls
    /// return the first answer. A property the library cannot read is written with its default, 0, but
    /// for the microphone and monitor levels, which get the user's levels in `user` (a library that
    /// holds no level of its own must not replace the user's with silence or full volume).
    [[nodiscard]] Start start(const HeadsetSystem& user);
    /// The library's devices may have changed (AudioConfigLibrary::WatchDevices). When the headset's
    /// devices came, went or are other ones, or the library had not started, it starts again as start()
    /// does. True when it did (the caller takes the new state); false, touching nothing, when the same
    /// devices are there, and before the first start.
    [[nodiscard]] bool devicesChanged(const HeadsetSystem& user);
    /// The answer of the last start; nothing before the first.
    [[nodiscard]] std::optional<Start> started() const { return m_started; }
    /// Whether properties can be read and written (started with a playback device).
    [[nodiscard]] bool ready() const { return m_start == Start::Ready; }
    [[nodiscard]] const audio::ChosenDevices& devices() const { return m_devices; }
    /// Items 0, 4 and 6 of the playback and recording devices' feature lists, when they had them.
    [[nodiscard]] const std::array<std::optional<std::array<int32_t, 3>>, 2>& features() const {
        return m_features;
    }

    /// Reads the recording device's values; all empty when not ready.
    [[nodiscard]] Reading read();
    /// Takes what a reading says into the profile's audio settings; values not read stay.
    static void TakeReading(const Reading& reading, HeadsetSystem& system);

    // Writes; false when not ready or the library refused (nothing changes then).
    [[nodiscard]] bool setMicrophoneOn(bool on);
    [[nodiscard]] bool setMicrophoneLevel(int percent);
    [[nodiscard]] bool setMonitorOn(bool on);
    [[nodiscard]] bool setMonitorLevel(int percent);
    [[nodiscard]] bool setMagicVoice(bool on);
    /// Writes the voice type (1-4) as the library counts it (0-3).
    [[nodiscard]] bool setMagicVoiceType(int type);
    /// Noise suppression of the microphone ("Enable_ENC_LFX").
    [[nodiscard]] bool setNoiseSuppression(bool on);
    /// Virtual surround of the headset ("VirtualSurroundEffectControl").
    [[nodiscard]] bool setSurround(bool on);
    /// Turns the equaliser on and writes the ten band values, as one change. When the library refuses, the
    /// bands it took get back the bands it took last from this object or a copy of it, or `previous` when
    /// none did yet, so the equaliser is left as it was (also when edits made one after the other were
    /// copied before the earlier ones ran).
    [[nodiscard]] bool setEqualiser(const Bands& bands, const Bands& previous);
    /// Writes one band (0-9).
    [[nodiscard]] bool setBand(size_t band, int32_t value);
    /// Plays a profile's equaliser: `wanted`, or the library's own bands when the profile names none
    /// (`previous` when they cannot be read); a refusal is only logged. The bands the page shows then;
    /// nothing when not ready.
    [[nodiscard]] std::optional<Bands> playProfileBands(const std::optional<Bands>& wanted,
                                                        const Bands& previous);
    /// The ten band values the library holds; nothing when one cannot be read.
    [[nodiscard]] std::optional<Bands> readBands();

    /// Whether the feature, switched on, stays on only while this program runs (virtual surround on
    /// PipeWire, a filter chain of ours).
    [[nodiscard]] bool endsWithProgram(Feature feature);
    /// False once the library answered that it has nothing to act on for the feature (at start, while
    /// bringing the properties to their defaults, or on a later call).
    [[nodiscard]] bool available(Feature feature) const {
        return !m_unavailable[static_cast<size_t>(feature)];
    }

private:
    struct Property;
    [[nodiscard]] bool call(const Property& property, audio::PropertyValue& value, audio::Access access);
    [[nodiscard]] bool readProperty(const Property& property, audio::PropertyValue& value);
    [[nodiscard]] std::optional<double> readNumber(const Property& property);
    [[nodiscard]] bool writeInteger(const Property& property, int32_t value);
    [[nodiscard]] bool writeScalar(const Property& property, int percent);
    /// "Enable_EQ_GFX" = 1 and the ten bands in one batch.
    [[nodiscard]] bool writeEqualiser(const Bands& bands);
    void bringToDefaults(const HeadsetSystem& user);
    void readFeatures();

    audio::AudioConfigLibrary* m_library;  ///< never null
    std::optional<Start> m_started;
    Start m_start = Start::InitFailed;
    audio::ChosenDevices m_devices;
    std::array<std::optional<std::array<int32_t, 3>>, 2> m_features{};
    std::array<bool, kFeatureCount> m_unavailable{};
    /// The bands the library took last through this object and its copies (nothing when unknown). Shared
    /// by the copies and used by whichever thread makes the calls; the copies' calls are made one after
    /// the other (the device's queue), never at the same time.
    std::shared_ptr<std::optional<Bands>> m_taken = std::make_shared<std::optional<Bands>>();
};

}  // namespace halvern
