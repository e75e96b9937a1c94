#include "devices/headset_audio.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "device/debug_sink.h"

namespace halvern {

using audio::Access;
using audio::PropertyValue;

/// One property: on which device, its name, and the parameters that select its channel.
struct HeadsetAudio::Property {
    bool recording;
    std::wstring_view name;
    std::span<const int32_t> parameters;
    bool scalar = false;  ///< written as a float, percent ÷ 100
};

namespace {

constexpr std::array<int32_t, 3> kSurroundParameters{4, -1, 0};
constexpr std::array<int32_t, 1> kAllChannels{-1};
constexpr std::array<int32_t, 1> kFirstChannel{0};

// The properties brought to their defaults at start: each read, and written only when the read fails:
// with 0, or with the user's value for what a library may not hold while it is off (the levels, the voice).
struct DefaultProperty {
    bool recording;
    std::wstring_view name;
    std::span<const int32_t> parameters;
    bool scalar;
    int32_t (*user)(const HeadsetSystem&) = nullptr;
};
int32_t userMicLevel(const HeadsetSystem& s) {
    return std::clamp(s.micInValue, 0, 100);
}
int32_t userMonitorLevel(const HeadsetSystem& s) {
    return std::clamp(s.micMonitorValue, 0, 100);
}
int32_t userVoice(const HeadsetSystem& s) {
    return std::clamp(s.magicType, 1, HeadsetAudio::kMagicVoiceTypes) - 1;
}
constexpr std::array<DefaultProperty, 24> kDefaults{{
    {false, L"VirtualSurroundEffectControl", kSurroundParameters, false},
    {false, L"Enable_EQ_GFX", {}, false},
    {false, L"EQ_Slider1", {}, false},
    {false, L"EQ_Slider2", {}, false},
    {false, L"EQ_Slider3", {}, false},
    {false, L"EQ_Slider4", {}, false},
    {false, L"EQ_Slider5", {}, false},
    {false, L"EQ_Slider6", {}, false},
    {false, L"EQ_Slider7", {}, false},
    {false, L"EQ_Slider8", {}, false},
    {false, L"EQ_Slider9", {}, false},
    {false, L"EQ_Slider10", {}, false},
    {false, L"Enable_RFX_GFX", {}, false},
    {false, L"RFX_ENVIRONMENT", {}, false},
    {false, L"RFX_ROOMSIZE", {}, false},
    {true, L"Enable_ENC_LFX", {}, false},
    {true, L"VolumeControl", kAllChannels, false},
    {true, L"MuteControl", {}, false},
    {true, L"VolumeScalarControl", kAllChannels, true, &userMicLevel},
    {true, L"AAVolumeControl", kFirstChannel, false},
    {true, L"AAMuteControl", {}, false},
    {true, L"AAVolumeScalarControl", kFirstChannel, true, &userMonitorLevel},
    {true, L"Enable_MAGICVOICE", {}, false},
    {true, L"MagicVoice_Selection", {}, false, &userVoice},
}};

constexpr std::array<std::wstring_view, HeadsetAudio::kEqBands> kBandNames{
    L"EQ_Slider1", L"EQ_Slider2", L"EQ_Slider3", L"EQ_Slider4", L"EQ_Slider5",
    L"EQ_Slider6", L"EQ_Slider7", L"EQ_Slider8", L"EQ_Slider9", L"EQ_Slider10"};

// Which control a property serves; properties of no control are left out.
struct FeatureOf {
    std::wstring_view name;
    HeadsetAudio::Feature feature;
};
constexpr std::array<FeatureOf, 9> kFeatureOf{{
    {L"Enable_EQ_GFX", HeadsetAudio::Feature::Equaliser},
    {L"MuteControl", HeadsetAudio::Feature::Microphone},
    {L"VolumeScalarControl", HeadsetAudio::Feature::MicrophoneLevel},
    {L"AAMuteControl", HeadsetAudio::Feature::Monitor},
    {L"AAVolumeScalarControl", HeadsetAudio::Feature::MonitorLevel},
    {L"Enable_MAGICVOICE", HeadsetAudio::Feature::MagicVoice},
    {L"MagicVoice_Selection", HeadsetAudio::Feature::MagicVoiceType},
    {L"VirtualSurroundEffectControl", HeadsetAudio::Feature::Surround},
    {L"Enable_ENC_LFX", HeadsetAudio::Feature::NoiseSuppression},
}};

std::optional<HeadsetAudio::Feature> featureOf(std::wstring_view name) {
    if (name.starts_with(L"EQ_Slider")) return HeadsetAudio::Feature::Equaliser;
    for (const FeatureOf& f : kFeatureOf) {
        if (f.name == name) return f.feature;
    }
    return std::nullopt;
}

int percentOf(double scalar) {
    return std::clamp(static_cast<int>(std::lround(scalar * 100)), 0, 100);
}

}  // namespace

HeadsetAudio::Start HeadsetAudio::start(const HeadsetSystem& user) {
    if (m_started) return *m_started;
    if (m_library->ConfLibInit() != 0) {
        m_started = m_start = Start::InitFailed;
        return m_start;
    }
    (void)m_library->CreateDeviceList();
    uint32_t playback = 0;
    if (m_library->GetDeviceCount(audio::Direction::Playback, playback) != 0 || playback == 0) {
        m_started = m_start = Start::NoPlayback;
        return m_start;
    }
    m_devices = audio::ChooseDevices(*m_library);
    m_start = m_devices.playback ? Start::Ready : Start::NoPlayback;
    m_started = m_start;
    if (!ready()) return m_start;
    readFeatures();
    bringToDefaults(user);
    return m_start;
}

bool HeadsetAudio::devicesChanged(const HeadsetSystem& user) {
    if (!m_started) return false;
    if (m_start != Start::InitFailed) {
        (void)m_library->CreateDeviceList();
        uint32_t playback = 0;
        const bool any = m_library->GetDeviceCount(audio::Direction::Playback, playback) == 0 && playback > 0;
        const audio::ChosenDevices now = any ? audio::ChooseDevices(*m_library) : audio::ChosenDevices{};
        if (now.playback == m_devices.playback && now.recording == m_devices.recording) return false;
    }
    m_started.reset();
    m_start = Start::InitFailed;
    m_devices = {};
    m_features = {};
    m_unavailable = {};
    m_taken = std::make_shared<std::optional<Bands>>();  // other devices: nothing known of their bands
    (void)start(user);
    return true;
}

void HeadsetAudio::readFeatures() {
    const std::array<std::optional<audio::DeviceRecord>, 2> devices{m_devices.playback, m_devices.recording};
    for (size_t i = 0; i < devices.size(); ++i) {
        if (!devices[i] || devices[i]->type < 1) continue;
        PropertyValue value;
        audio::DeviceRecord device = *devices[i];
        if (m_library->PropertyControl(device, L"GetSupportFeature", value, {}, Access::Read) == 0)
            m_features[i] = audio::SupportFeatures(value.text());
        if (!m_features[i]) debugLog("UpdateAPOAvailable failed!");
    }
}

void HeadsetAudio::bringToDefaults(const HeadsetSystem& user) {
    for (const DefaultProperty& d : kDefaults) {
        const Property property{d.recording, d.name, d.parameters, d.scalar};
        PropertyValue value;
        if (readProperty(property, value)) continue;
        const int32_t number = d.user ? d.user(user) : 0;
        const bool written = d.scalar ? writeScalar(property, number) : writeInteger(property, number);
        if (!written) debugLog("an audio property could not be brought to its default");
    }
}

bool HeadsetAudio::call(const Property& property, PropertyValue& value, Access access) {
    const auto& device = property.recording ? m_devices.recording : m_devices.playback;
    if (!ready() || !device) return false;
    const int result = m_library->PropertyControl(*device, property.name, value, property.parameters, access);
    if (result == audio::kPropertyNotAvailable) {
        if (const auto feature = featureOf(property.name))
            m_unavailable[static_cast<size_t>(*feature)] = true;
    }
    return result == 0;
}

bool HeadsetAudio::readProperty(const Property& property, PropertyValue& value) {
    value.clear();
    return call(property, value, Access::Read);
}

std::optional<double> HeadsetAudio::readNumber(const Property& property) {
    PropertyValue value;
    if (!readProperty(property, value)) return std::nullopt;
    return value.number();
}

bool HeadsetAudio::writeInteger(const Property& property, int32_t number) {
    PropertyValue value;
    value.setInteger(number);
    return call(property, value, Access::Write);
}

bool HeadsetAudio::writeScalar(const Property& property, int percent) {
    PropertyValue value;
    value.setFloat(static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f);
    return call(property, value, Access::Write);
}

HeadsetAudio::Reading HeadsetAudio::read() {
    Reading r;
    if (!ready()) return r;
    const auto number = [this](std::wstring_view name, std::span<const int32_t> parameters = {}) {
        return readNumber(Property{true, name, parameters});
    };
    r.maxVolume = number(L"GetMaxVol");
    r.minVolume = number(L"GetMinVol");
    r.volumeStep = number(L"GetVolStep");
    r.volume = number(L"VolumeControl", kAllChannels);
    if (const auto muted = number(L"MuteControl")) r.micOn = *muted == 0;
    if (const auto scalar = number(L"VolumeScalarControl", kAllChannels)) r.micLevel = percentOf(*scalar);
    if ((r.monitorMax = number(L"GetAAMaxVol"))) {
        r.monitorMin = number(L"GetAAMinVol");
        r.monitorStep = number(L"GetAAVolStep");
        r.monitorVolume = number(L"AAVolumeControl", kFirstChannel);
        if (const auto muted = number(L"AAMuteControl")) r.monitorOn = *muted == 0;
        if (const auto scalar = number(L"AAVolumeScalarControl", kFirstChannel))
            r.monitorLevel = percentOf(*scalar);
    }
    if (const auto on = number(L"Enable_MAGICVOICE")) r.magicEnable = static_cast<int>(*on);
    if (const auto type = number(L"MagicVoice_Selection")) r.magicType = static_cast<int>(*type);
    if (const auto on = number(L"Enable_ENC_LFX")) r.noiseSuppression = *on != 0;
    if (const auto on = readNumber(Property{false, L"VirtualSurroundEffectControl", kSurroundParameters}))
        r.surround = *on != 0;
    return r;
}

void HeadsetAudio::TakeReading(const Reading& r, HeadsetSystem& s) {
    if (r.micOn) s.micInSelect = *r.micOn ? 1 : 0;
    if (r.micLevel) s.micInValue = *r.micLevel;
    if (r.monitorOn) s.micMonitorSelect = *r.monitorOn ? 1 : 0;
    if (r.monitorLevel) s.micMonitorValue = *r.monitorLevel;
    if (r.magicEnable) s.magicEnable = *r.magicEnable;
    // The library counts the voice types from 0; a type it should not have leaves the profile's.
    if (r.magicType && *r.magicType >= 0 && *r.magicType < kMagicVoiceTypes) s.magicType = *r.magicType + 1;
}

bool HeadsetAudio::setMicrophoneOn(bool on) {
    return writeInteger(Property{true, L"MuteControl", {}}, on ? 0 : 1);
}

bool HeadsetAudio::setMicrophoneLevel(int percent) {
    return writeScalar(Property{true, L"VolumeScalarControl", kAllChannels, true}, percent);
}

bool HeadsetAudio::setMonitorOn(bool on) {
    return writeInteger(Property{true, L"AAMuteControl", {}}, on ? 0 : 1);
}

bool HeadsetAudio::setMonitorLevel(int percent) {
    return writeScalar(Property{true, L"AAVolumeScalarControl", kFirstChannel, true}, percent);
}

bool HeadsetAudio::setMagicVoice(bool on) {
    if (!writeInteger(Property{true, L"Enable_MAGICVOICE", {}}, on ? 1 : 0)) return false;
    // The voice changer and the microphone echo do not play together.
    if (on && !writeInteger(Property{true, L"Enable_MICECHO", {}}, 0))
        debugLog("the microphone echo could not be turned off for the voice changer");
    return true;
}

bool HeadsetAudio::setMagicVoiceType(int type) {
    return writeInteger(Property{true, L"MagicVoice_Selection", {}}, type - 1);
}

bool HeadsetAudio::setNoiseSuppression(bool on) {
    return writeInteger(Property{true, L"Enable_ENC_LFX", {}}, on ? 1 : 0);
}

bool HeadsetAudio::endsWithProgram(Feature feature) {
    return feature == Feature::Surround && m_library->EndsWithLibrary(L"VirtualSurroundEffectControl");
}

bool HeadsetAudio::setSurround(bool on) {
    return writeInteger(Property{false, L"VirtualSurroundEffectControl", kSurroundParameters}, on ? 1 : 0);
}

void HeadsetAudio::takeMarksOf(const HeadsetAudio& worked) {
    if (worked.m_start != m_start || worked.m_devices.playback != m_devices.playback ||
        worked.m_devices.recording != m_devices.recording)
        return;
    for (size_t i = 0; i < kFeatureCount; ++i) m_unavailable[i] = m_unavailable[i] || worked.m_unavailable[i];
}

bool HeadsetAudio::setBand(size_t band, int32_t value) {
    if (band >= kEqBands) return false;
    if (!writeInteger(Property{false, kBandNames[band], {}}, value)) return false;
    if (*m_taken) (**m_taken)[band] = value;
    return true;
}

bool HeadsetAudio::writeEqualiser(const Bands& bands) {
    if (!ready() || !m_devices.playback) return false;
    std::vector<audio::PropertyWrite> writes(kEqBands + 1);
    writes[0].name = L"Enable_EQ_GFX";
    writes[0].value.setInteger(1);
    for (size_t band = 0; band < kEqBands; ++band) {
        writes[band + 1].name = kBandNames[band];
        writes[band + 1].value.setInteger(bands[band]);
    }
    const int result = m_library->WriteProperties(*m_devices.playback, writes);
    if (result == audio::kPropertyNotAvailable) m_unavailable[static_cast<size_t>(Feature::Equaliser)] = true;
    return result == 0;
}

bool HeadsetAudio::setEqualiser(const Bands& bands, const Bands& previous) {
    const Bands before = m_taken->value_or(previous);
    if (writeEqualiser(bands)) {
        *m_taken = bands;
        return true;
    }
    if (writeEqualiser(before)) {
        *m_taken = before;
    } else {
        m_taken->reset();  // part of a batch may have stayed
        debugLog("an equaliser band could not be set back");
    }
    return false;
}

std::optional<HeadsetAudio::Bands> HeadsetAudio::playProfileBands(const std::optional<Bands>& wanted,
                                                                  const Bands& previous) {
    if (!ready()) return std::nullopt;
    const Bands bands = wanted ? *wanted : readBands().value_or(previous);
    if (!setEqualiser(bands, previous)) debugLog("the profile's equaliser could not be set");
    return bands;
}

std::optional<HeadsetAudio::Bands> HeadsetAudio::readBands() {
    Bands bands{};
    for (size_t band = 0; band < kEqBands; ++band) {
        const auto value = readNumber(Property{false, kBandNames[band], {}});
        if (!value) return std::nullopt;
        bands[band] = static_cast<int32_t>(std::lround(std::clamp(*value, -100.0, 100.0)));
    }
    return bands;
}

}  // namespace halvern
