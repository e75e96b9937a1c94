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

std::optional<HeadsetAudio::Bands> CMerivexHS6533Device::profileBands() {
    CHs6533Profiledata& headset = headsetProfile();
    const HeadsetSystem system = headset.GetHeadsetSystem();
    if (system.eqType != headset_eq::kCustomType) return bandsOf(headset.GetEqValues(system.eqType));
    if (const auto chosen = chosenCustomEq()) return bandsOf(headset.GetCustomEqValues(*chosen));
    return std::nullopt;
}

// The equaliser is the program's own: whenever a profile is taken (opening the page, another profile, the
// defaults), the library plays its EQ. Before the library started the page shows the profile's bands.
void CMerivexHS6533Device::takeSettingsFromProfile() {
    CMerivexLightRecordDevice::takeSettingsFromProfile();
    if (audioReady()) {
        playProfileEqualiser();
    } else if (const auto bands = profileBands()) {
        m_bands = *bands;
    }
}

void CMerivexHS6533Device::playProfileEqualiser() {
    auto played = std::make_shared<std::optional<Bands>>();
    runAudio(
        [wanted = profileBands(), previous = m_bands, played](HeadsetAudio& audio) {
            *played = audio.playProfileBands(wanted, previous);
            return DeviceResult{};  // the profile was taken; its bands are shown whatever the library did
        },
        [this, played] {
            if (*played) m_bands = **played;
            ShowSettings();
            return DeviceResult{};
        },
        {});
}

void CMerivexHS6533Device::playProfileSound(Done done) {
    auto reading = std::make_shared<HeadsetAudio::Reading>();
    runAudio(
        [system = audioSettings(), reading](HeadsetAudio& audio) {
            const bool written = audio.setMicrophoneOn(system.micInSelect != 0) &&
                                 audio.setMicrophoneLevel(system.micInValue) &&
                                 audio.setMonitorOn(system.micMonitorSelect != 0) &&
                                 audio.setMonitorLevel(system.micMonitorValue) &&
                                 audio.setMagicVoice(system.magicEnable != 0) &&
                                 (system.magicType < 1 || system.magicType > HeadsetAudio::kMagicVoiceTypes ||
                                  audio.setMagicVoiceType(system.magicType));
            if (!written) debugLog("the library did not take every default sound setting");
            *reading = audio.read();
            return DeviceResult{};
        },
        [this, reading] {
            HeadsetSystem system = audioSettings();
            HeadsetAudio::TakeReading(*reading, system);
            saveAudio(system);
            return DeviceResult{};
        },
        std::move(done));
}

void CMerivexHS6533Device::RestoreDefaults(Done done) {
    CHs6533Profiledata& headset = headsetProfile();
    const std::vector<std::string> names = headset.GetCustomEqNames();
    std::vector<std::vector<int32_t>> rows;
    rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) rows.push_back(headset.GetCustomEqValues(static_cast<int>(i)));
    CMerivexLightRecordDevice::RestoreDefaults(
        [this, names, rows = std::move(rows), done = std::move(done)](DeviceResult result) {
            if (!result) {
                if (done) done(result);
                return;
            }
            CHs6533Profiledata& restored = headsetProfile();
            restored.SetCustomEqNames(names);
            for (size_t i = 0; i < rows.size(); ++i) restored.SetCustomEqValues(static_cast<int>(i), rows[i]);
            if (!audioReady()) {
                saveAudio(audioSettings());  // the custom EQs kept, on disk too
                ShowSettings();
                if (done) done(result);
                return;
            }
            // The defaults' sound goes to the library; what it refused is read back into the profile.
            playProfileSound([this, result, done](DeviceResult) {
                ShowSettings();
                if (done) done(result);
            });
        });
}

void CMerivexHS6533Device::SelectEqPreset(int type, Done done) {
    if (type < 1 || type > headset_eq::kPresetCount) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    const Bands bands = headset_eq::PresetBands(type);
    runAudio(
        [bands, previous = m_bands](HeadsetAudio& audio) {
            return audio.setEqualiser(bands, previous) ? DeviceResult{}
                                                       : DeviceResult::Refused(DeviceStep::None);
        },
        [this, type, bands] {
            m_bands = bands;
            HeadsetSystem system = audioSettings();
            system.eqType = type;
            headsetProfile().SetEqValues(type, valuesOf(bands));
            saveAudio(system);
            return DeviceResult{};
        },
        std::move(done));
}

void CMerivexHS6533Device::SelectCustomEq(Done done) {
    if (!audioReady()) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    const int index = audioSettings().customEqSelectIndex;
    if (index >= 0 && static_cast<size_t>(index) < customEqNames().size()) {
        ChooseCustomEq(index, std::move(done));
        return;
    }
    // No saved entry to play: the bands playing stay, and the choice keeps its place among the edits
    // still on their way to the library.
    runAudio(
        {},
        [this] {
            HeadsetSystem system = audioSettings();
            system.eqType = headset_eq::kCustomType;
            system.customEqSelectIndex = -1;
            saveAudio(system);
            return DeviceResult{};
        },
        std::move(done));
}

void CMerivexHS6533Device::MoveEqBand(int band, int value, Done done) {
    if (band < 0 || static_cast<size_t>(band) >= m_bands.size()) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    const auto at = static_cast<size_t>(band);
    value = std::clamp(value, headset_eq::kBandMin, headset_eq::kBandMax);
    runAudio(
        [at, value](HeadsetAudio& audio) {
            return audio.setBand(at, value) ? DeviceResult{} : DeviceResult::Refused(DeviceStep::None);
        },
        [this, at, value] {
            m_bands[at] = value;
            HeadsetSystem system = audioSettings();
            if (system.eqType != headset_eq::kCustomType) {
                system.eqType = headset_eq::kCustomType;
                system.customEqSelectIndex = -1;  // the moved bands are no saved entry's
                saveAudio(system);
            }
            return DeviceResult{};
        },
        std::move(done));
}

void CMerivexHS6533Device::ChooseCustomEq(int index, Done done) {
    if (index < 0 || static_cast<size_t>(index) >= customEqNames().size()) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    const Bands bands = bandsOf(headsetProfile().GetCustomEqValues(index));
    runAudio(
        [bands, previous = m_bands](HeadsetAudio& audio) {
            return audio.setEqualiser(bands, previous) ? DeviceResult{}
                                                       : DeviceResult::Refused(DeviceStep::None);
        },
        [this, index, bands] {
            m_bands = bands;  // what the library plays now
            if (static_cast<size_t>(index) >= customEqNames().size())
                return DeviceResult::Refused(DeviceStep::None);  // the entry went meanwhile
            HeadsetSystem system = audioSettings();
            system.eqType = headset_eq::kCustomType;
            system.customEqSelectIndex = index;
            saveAudio(system);
            return DeviceResult{};
        },
        std::move(done));
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

void CMerivexHS6533Device::DeleteCustomEq(int index, Done done) {
    CHs6533Profiledata& headset = headsetProfile();
    const std::vector<std::string> names = headset.GetCustomEqNames();
    if (index < 0 || static_cast<size_t>(index) >= names.size()) {
        queue().completeLater(done, DeviceResult::Refused(DeviceStep::None));
        return;
    }
    // While the custom EQ plays, the entry that becomes the first one left takes over, or preset 1 when
    // the last one goes.
    std::optional<Bands> next;
    if (audioSettings().eqType == headset_eq::kCustomType) {
        next = names.size() == 1 ? bandsOf(headset.GetEqValues(1))
                                 : bandsOf(headset.GetCustomEqValues(index == 0 ? 1 : 0));
    }
    AudioCall play;
    if (next) {
        play = [bands = *next, previous = m_bands](HeadsetAudio& audio) {
            return audio.setEqualiser(bands, previous) ? DeviceResult{}
                                                       : DeviceResult::Refused(DeviceStep::None);
        };
    }
    runAudio(
        std::move(play),
        [this, index, names, next] {
            if (next) m_bands = *next;  // what the library plays now
            if (customEqNames() != names) return DeviceResult::Refused(DeviceStep::None);
            HeadsetSystem system = audioSettings();
            if (next && names.size() == 1) system.eqType = 1;
            system.customEqSelectIndex = 0;
            headsetProfile().RemoveCustomEq(index);
            saveAudio(system);
            return DeviceResult{};
        },
        std::move(done));
}

}  // namespace halvern
