// The headset's equaliser: presets, band moves and the user's named custom EQs.

#include "devices/headset_eq.h"

#include <algorithm>

#include "device/debug_sink.h"
#include "devices/light_record_device.h"
#include "profile/hs6533_profiledata.h"
#include "profile/name_rule.h"
#include "profile/text_utf8.h"

namespace halvern {
namespace {

using headset_eq::Bands;

Bands bandsOf(const std::vector<int32_t>& values) {
    Bands bands{};
    for (size_t i = 0; i < bands.size() && i < values.size(); ++i)
        bands[i] = std::clamp(values[i], headset_eq::kBandMin, headset_eq::kBandMax);
    return bands;
}

std::vector<int32_t> valuesOf(const Bands& bands) {
    return {bands.begin(), bands.end()};
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

CHs6533Profiledata& CMerivexHS6533Device::headsetProfile() {
    return static_cast<CHs6533Profiledata&>(profile());
}

void CMerivexHS6533Device::saveAudio(const HeadsetSystem& system) {
    headsetProfile().SetHeadsetSystem(system);
    if (!SaveProfile()) debugLog("profile file could not be written after a sound setting changed");
}

bool CMerivexHS6533Device::audioAvailable(HeadsetAudio::Feature feature) const {
    return !audioReady() || m_audio->available(feature);
}

std::vector<std::string> CMerivexHS6533Device::customEqNames() {
    return headsetProfile().GetCustomEqNames();
}

std::optional<int> CMerivexHS6533Device::chosenCustomEq() {
    const HeadsetSystem system = audioSettings();
    if (system.eqType != headset_eq::kCustomType) return std::nullopt;
    const int index = system.customEqSelectIndex;
    if (index < 0 || static_cast<size_t>(index) >= customEqNames().size()) return std::nullopt;
    return index;
}

HeadsetAudio::Bands CMerivexHS6533Device::profileBands() {
    CHs6533Profiledata& headset = headsetProfile();
    const HeadsetSystem system = headset.GetHeadsetSystem();
    if (system.eqType != headset_eq::kCustomType) return bandsOf(headset.GetEqValues(system.eqType));
    if (const auto chosen = chosenCustomEq()) return bandsOf(headset.GetCustomEqValues(*chosen));
    if (audioReady()) {
        if (const auto playing = m_audio->readBands()) return bandsOf(valuesOf(*playing));
    }
    return m_bands;
}

// The equaliser is the program's own: whenever a profile is taken (opening the page, another profile, the
// defaults), the library plays its EQ.
void CMerivexHS6533Device::takeSettingsFromProfile() {
    CMerivexLightRecordDevice::takeSettingsFromProfile();
    const Bands previous = m_bands;
    m_bands = profileBands();
    if (audioReady() && !m_audio->setEqualiser(m_bands, previous))
        debugLog("the profile's equaliser could not be set");
}

bool CMerivexHS6533Device::playBands(const HeadsetAudio::Bands& bands) {
    if (!audioReady() || !m_audio->setEqualiser(bands, m_bands)) return false;
    m_bands = bands;
    return true;
}

void CMerivexHS6533Device::playProfileSound() {
    if (!audioReady()) return;
    HeadsetSystem system = audioSettings();
    const bool written =
        m_audio->setMicrophoneOn(system.micInSelect != 0) && m_audio->setMicrophoneLevel(system.micInValue) &&
        m_audio->setMonitorOn(system.micMonitorSelect != 0) &&
        m_audio->setMonitorLevel(system.micMonitorValue) && m_audio->setMagicVoice(system.magicEnable != 0) &&
        (system.magicType < 1 || system.magicType > HeadsetAudio::kMagicVoiceTypes ||
         m_audio->setMagicVoiceType(system.magicType));
    if (!written) debugLog("the library did not take every default sound setting");
    HeadsetAudio::TakeReading(m_audio->read(), system);
    saveAudio(system);
}

void CMerivexHS6533Device::RestoreDefaults(Done done) {
    CHs6533Profiledata& headset = headsetProfile();
    const std::vector<std::string> names = headset.GetCustomEqNames();
    std::vector<std::vector<int32_t>> rows;
    rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) rows.push_back(headset.GetCustomEqValues(static_cast<int>(i)));
    CMerivexLightRecordDevice::RestoreDefaults(
        [this, names, rows = std::move(rows), done = std::move(done)](DeviceResult result) {
            if (result) {
                CHs6533Profiledata& restored = headsetProfile();
                restored.SetCustomEqNames(names);
                for (size_t i = 0; i < rows.size(); ++i)
                    restored.SetCustomEqValues(static_cast<int>(i), rows[i]);
                playProfileSound();  // saves the profile
                ShowSettings();
            }
            if (done) done(result);
        });
}

bool CMerivexHS6533Device::SelectEqPreset(int type) {
    if (type < 1 || type > headset_eq::kPresetCount) return false;
    const Bands& bands = headset_eq::PresetBands(type);
    if (!playBands(bands)) return false;
    HeadsetSystem system = audioSettings();
    system.eqType = type;
    headsetProfile().SetEqValues(type, valuesOf(bands));
    saveAudio(system);
    return true;
}

bool CMerivexHS6533Device::SelectCustomEq() {
    if (!audioReady()) return false;
    HeadsetSystem system = audioSettings();
    const int index = system.customEqSelectIndex;
    if (index >= 0 && static_cast<size_t>(index) < customEqNames().size()) return ChooseCustomEq(index);
    system.eqType = headset_eq::kCustomType;
    system.customEqSelectIndex = -1;
    saveAudio(system);
    return true;
}

bool CMerivexHS6533Device::MoveEqBand(int band, int value) {
    if (band < 0 || static_cast<size_t>(band) >= m_bands.size() || !audioReady()) return false;
    value = std::clamp(value, headset_eq::kBandMin, headset_eq::kBandMax);
    if (!m_audio->setBand(static_cast<size_t>(band), value)) return false;
    m_bands[static_cast<size_t>(band)] = value;
    HeadsetSystem system = audioSettings();
    if (system.eqType != headset_eq::kCustomType) {
        system.eqType = headset_eq::kCustomType;
        system.customEqSelectIndex = -1;  // the moved bands are no saved entry's
        saveAudio(system);
    }
    return true;
}

bool CMerivexHS6533Device::ChooseCustomEq(int index) {
    if (index < 0 || static_cast<size_t>(index) >= customEqNames().size()) return false;
    if (!playBands(bandsOf(headsetProfile().GetCustomEqValues(index)))) return false;
    HeadsetSystem system = audioSettings();
    system.eqType = headset_eq::kCustomType;
    system.customEqSelectIndex = index;
    saveAudio(system);
    return true;
}

int CMerivexHS6533Device::SaveCustomEq(std::string_view typed) {
    CHs6533Profiledata& headset = headsetProfile();
    const std::string_view name = trimmed(typed);
    if (name.empty()) {
        const auto chosen = chosenCustomEq();
        if (!chosen) return kEqRefused;
        headset.SetCustomEqValues(*chosen, valuesOf(m_bands));
        saveAudio(audioSettings());
        return kEqSaved;
    }
    std::vector<std::string> names = headset.GetCustomEqNames();
    if (CheckName(name) != NameProblem::None) return kEqNameInvalid;
    if (names.size() >= headset_eq::kMaxCustomEqs) return kEqRefused;
    if (std::ranges::any_of(names, [name](const std::string& n) { return EqualsIgnoreCase(n, name); }))
        return kEqNameExists;
    names.emplace_back(name);
    const int index = static_cast<int>(names.size()) - 1;
    headset.SetCustomEqNames(names);
    headset.SetCustomEqValues(index, valuesOf(m_bands));
    HeadsetSystem system = audioSettings();
    system.customEqSelectIndex = index;
    saveAudio(system);
    return kEqSaved;
}

bool CMerivexHS6533Device::DeleteCustomEq(int index) {
    CHs6533Profiledata& headset = headsetProfile();
    const size_t count = headset.GetCustomEqNames().size();
    if (index < 0 || static_cast<size_t>(index) >= count) return false;
    HeadsetSystem system = audioSettings();
    const bool playing = system.eqType == headset_eq::kCustomType;
    if (count == 1) {
        // The last one goes: preset 1 plays again.
        if (playing) {
            if (!playBands(bandsOf(headset.GetEqValues(1)))) return false;
            system.eqType = 1;
        }
        system.customEqSelectIndex = 0;
    } else {
        const int next = index == 0 ? 1 : 0;  // the entry that becomes the first one left
        if (playing && !playBands(bandsOf(headset.GetCustomEqValues(next)))) return false;
        system.customEqSelectIndex = 0;
    }
    headset.RemoveCustomEq(index);
    saveAudio(system);
    return true;
}

}  // namespace halvern
