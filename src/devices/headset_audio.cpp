#include "devices/headset_audio.h"

#include <algorithm>
#include <cmath>
#include <span>

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

// The properties brought to their defaults at start: each read, and written with 0 only when the read fails.
struct DefaultProperty {
    bool recording;
    std::wstring_view name;
    std::span<const int32_t> parameters;
    bool scalar;
};
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
    {true, L"VolumeScalarControl", kAllChannels, true},
    {true, L"AAVolumeControl", kFirstChannel, false},
    {true, L"AAMuteControl", {}, false},
    {true, L"AAVolumeScalarControl", kFirstChannel, true},
    {true, L"Enable_MAGICVOICE", {}, false},
    {true, L"MagicVoice_Selection", {}, false},
}};

int percentOf(double scalar) {
    return std::clamp(static_cast<int>(std::lround(scalar * 100)), 0, 100);
}

}  // namespace

HeadsetAudio::Start HeadsetAudio::start() {
    if (m_started) return *m_started;
    if (m_library.ConfLibInit() != 0) {
        m_started = m_start = Start::InitFailed;
        return m_start;
    }
    (void)m_library.CreateDeviceList();
    uint32_t playback = 0;
    if (m_library.GetDeviceCount(audio::Direction::Playback, playback) != 0 || playback == 0) {
        m_started = m_start = Start::NoPlayback;
        return m_start;
    }
    m_devices = audio::ChooseDevices(m_library);
    m_start = m_devices.playback ? Start::Ready : Start::NoPlayback;
    m_started = m_start;
    if (!ready()) return m_start;
    readFeatures();
    bringToDefaults();
    return m_start;
}

void HeadsetAudio::readFeatures() {
    const std::array<std::optional<audio::DeviceRecord>, 2> devices{m_devices.playback, m_devices.recording};
    for (size_t i = 0; i < devices.size(); ++i) {
        if (!devices[i] || devices[i]->type < 1) continue;
        PropertyValue value;
        audio::DeviceRecord device = *devices[i];
        if (m_library.PropertyControl(device, L"GetSupportFeature", value, {}, Access::Read) == 0)
            m_features[i] = audio::SupportFeatures(value.text());
        if (!m_features[i]) debugLog("UpdateAPOAvailable failed!");
    }
}

void HeadsetAudio::bringToDefaults() {
    for (const DefaultProperty& d : kDefaults) {
        const Property property{d.recording, d.name, d.parameters, d.scalar};
        PropertyValue value;
        if (readProperty(property, value)) continue;
        const bool written = d.scalar ? writeScalar(property, 0) : writeInteger(property, 0);
        if (!written) debugLog("an audio property could not be brought to its default");
    }
}

bool HeadsetAudio::readProperty(const Property& property, PropertyValue& value) {
    const auto& device = property.recording ? m_devices.recording : m_devices.playback;
    if (!ready() || !device) return false;
    value.clear();
    return m_library.PropertyControl(*device, property.name, value, property.parameters, Access::Read) == 0;
}

std::optional<double> HeadsetAudio::readNumber(const Property& property) {
    PropertyValue value;
    if (!readProperty(property, value)) return std::nullopt;
    return value.number();
}

bool HeadsetAudio::writeInteger(const Property& property, int32_t number) {
    const auto& device = property.recording ? m_devices.recording : m_devices.playback;
    if (!ready() || !device) return false;
    PropertyValue value;
    value.setInteger(number);
    return m_library.PropertyControl(*device, property.name, value, property.parameters, Access::Write) == 0;
}

bool HeadsetAudio::writeScalar(const Property& property, int percent) {
    const auto& device = property.recording ? m_devices.recording : m_devices.playback;
    if (!ready() || !device) return false;
    PropertyValue value;
    value.setFloat(static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f);
    return m_library.PropertyControl(*device, property.name, value, property.parameters, Access::Write) == 0;
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
    return r;
}

void HeadsetAudio::TakeReading(const Reading& r, HeadsetSystem& s) {
    if (r.micOn) s.micInSelect = *r.micOn ? 1 : 0;
    if (r.micLevel) s.micInValue = *r.micLevel;
    if (r.monitorOn) s.micMonitorSelect = *r.monitorOn ? 1 : 0;
    if (r.monitorLevel) s.micMonitorValue = *r.monitorLevel;
    if (r.magicEnable) s.magicEnable = *r.magicEnable;
    if (r.magicType) s.magicType = *r.magicType;
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
    return writeInteger(Property{true, L"Enable_MAGICVOICE", {}}, on ? 1 : 0);
}

bool HeadsetAudio::setMagicVoiceType(int type) {
    return writeInteger(Property{true, L"MagicVoice_Selection", {}}, type);
}

}  // namespace halvern
