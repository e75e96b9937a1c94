#include "ui/pages/headset_page.h"

#include <QLineEdit>
#include <array>

#include "devices/headset_eq.h"
#include "devices/light_record_device.h"
#include "ui/controls/magic_control.h"
#include "ui/controls/voice6533_control.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

/// The message of a custom equaliser that was not saved.
QString saveRefusalTextId(int saved, bool unnamed) {
    if (saved == CMerivexHS6533Device::kEqNameExists) return QStringLiteral("message_text_5");
    if (saved == CMerivexHS6533Device::kEqNameInvalid) return QStringLiteral("name_invalid_text");
    return unnamed ? QStringLiteral("eq_save_unnamed_text") : QStringLiteral("eq_save_full_text");
}

using Feature = HeadsetAudio::Feature;

// Which controls serve which feature of the sound library.
struct FeatureControls {
    Feature feature;
    bool magic;  ///< a control of the voice changer (else of the sound editor)
    std::array<const char*, 3> names;
};
constexpr std::array<FeatureControls, 9> kFeatureControls{{
    {Feature::Equaliser, false, {"eq_choice_area", "eq_band_area", "custom_eq_option_layout"}},
    {Feature::Microphone, false, {"6533_MicIn_option", nullptr, nullptr}},
    {Feature::MicrophoneLevel, false, {"6533_MicIn_slider", nullptr, nullptr}},
    {Feature::Monitor, false, {"6533_MicMoniter_option", nullptr, nullptr}},
    {Feature::MonitorLevel, false, {"6533_MicMoniter_slider", nullptr, nullptr}},
    {Feature::NoiseSuppression, false, {"6533_noise_option", nullptr, nullptr}},
    {Feature::Surround, false, {"6533_surround_option", nullptr, nullptr}},
    {Feature::MagicVoice, true, {"magic_enable_option", nullptr, nullptr}},
    {Feature::MagicVoiceType, true, {"magic_option_layout", nullptr, nullptr}},
}};

// Disables a control with the reason as its tooltip (these controls have no tooltip of their own).
void markAvailable(QWidget* control, bool available, const QString& why) {
    if (!control) return;
    control->setToolTip(available ? QString() : why);
    if (!available) control->setEnabled(false);
}

}  // namespace

HeadsetPage::HeadsetPage(CMerivexHS6533Device& headset, std::unique_ptr<LightTarget> target,
                         const LayoutLoader& loader, const LanguageTexts* texts, QWidget* parent)
    : LightOnlyPage(headset, std::move(target), loader, texts, parent), m_headset(headset), m_texts(texts) {}

CVoice6533ControlUI* HeadsetPage::voiceControl() const {
    return m_voice;
}

CMagicControlUI* HeadsetPage::magicControl() const {
    return m_magic;
}

void HeadsetPage::BindBuiltControls() {
    LightOnlyPage::BindBuiltControls();
    if (!m_voice) m_voice = findChild<CVoice6533ControlUI*>();
    if (!m_magic) m_magic = findChild<CMagicControlUI*>();
}

void HeadsetPage::ShowSettings() {
    LightOnlyPage::ShowSettings();
    showAudio();
}

void HeadsetPage::showAudio() {
    const HeadsetSystem system = m_headset.audioSettings();
    if (m_voice) {
        m_voice->SetEqType(system.eqType);
        m_voice->SetBands(m_headset.eqBands());
        m_voice->SetCustomEqNames(m_headset.customEqNames(), m_headset.chosenCustomEq().value_or(-1));
        m_voice->SetMicrophone(system.micInSelect != 0, system.micInValue);
        m_voice->SetMonitor(system.micMonitorSelect != 0, system.micMonitorValue);
        m_voice->SetSoundSwitches(m_headset.noiseSuppression().value_or(false),
                                  m_headset.surround().value_or(false));
        if (auto* name = qobject_cast<QLineEdit*>(m_voice->part(QStringLiteral("custom_eq_name_edit")));
            name && m_texts)
            name->setPlaceholderText(m_texts->text(QStringLiteral("custom_eq_name_placeholder")));
    }
    if (m_magic) m_magic->SetMagicVoice(system.magicEnable != 0, system.magicType);
    showAvailability();
}

void HeadsetPage::showAvailability() {
    const HeadsetSystem system = m_headset.audioSettings();
    const bool ready = m_headset.audioReady();
    const char* whyId = ready ? "audio_unavailable_tip" : "audio_not_ready_tip";
    const QString why = m_texts ? m_texts->text(QString::fromLatin1(whyId)) : QString::fromLatin1(whyId);
    for (const FeatureControls& f : kFeatureControls) {
        const bool available = ready && m_headset.audioAvailable(f.feature);
        for (const char* name : f.names) {
            if (!name) continue;
            const QString controlName = QString::fromLatin1(name);
            QWidget* control = f.magic ? (m_magic ? m_magic->part(controlName) : nullptr)
                                       : (m_voice ? m_voice->part(controlName) : nullptr);
            markAvailable(control, available, why);
            if (!control || !available) continue;
            // The custom EQ row serves the custom EQ only, the voices a voice changer that is on.
            if (controlName == QLatin1String("custom_eq_option_layout")) {
                control->setEnabled(system.eqType == headset_eq::kCustomType);
            } else if (controlName == QLatin1String("magic_option_layout")) {
                control->setEnabled(system.magicEnable != 0);
            } else {
                control->setEnabled(true);
            }
        }
    }
}

CMerivexUSBDevice::Done HeadsetPage::edited(const QString& refusalTextId) {
    // Whatever the answer, the page shows what the headset holds then (a refused edit's control goes back).
    return track([this](DeviceResult) { showAudio(); }, refusalTextId);
}

void HeadsetPage::EqOption(int type) {
    if (type == headset_eq::kCustomType) {
        m_headset.SelectCustomEq(edited());
    } else {
        m_headset.SelectEqPreset(type, edited());
    }
}

void HeadsetPage::EqBandMoved(int band, int value) {
    m_headset.MoveEqBand(band, value, edited());
}

void HeadsetPage::EqNameChosen(int index) {
    if (index >= 0) m_headset.ChooseCustomEq(index, edited());
}

void HeadsetPage::EqButton(int which) {
    if (!m_voice) return;
    if (which == 1) {
        const int chosen = m_voice->GetChosenCustomEq();
        if (chosen >= 0) m_headset.DeleteCustomEq(chosen, edited());
        return;
    }
    // Saving changes the profile alone: its answer is at once.
    const QString name = m_voice->GetNewName().trimmed();
    const int saved = m_headset.SaveCustomEq(name.toStdString());
    if (saved == CMerivexHS6533Device::kEqSaved) m_voice->ClearNewName();
    showAudio();
    if (saved != CMerivexHS6533Device::kEqSaved && host())
        host()->showMessage(saveRefusalTextId(saved, name.isEmpty()));
}

void HeadsetPage::MicOption(int which, bool on) {
    if (which == 0) {
        m_headset.SetMicrophone(on, edited());
    } else {
        m_headset.SetMonitor(on, edited());
    }
}

void HeadsetPage::MicSlider(int which, int value) {
    if (which == 0) {
        m_headset.SetMicrophoneLevel(value, edited());
    } else {
        m_headset.SetMonitorLevel(value, edited());
    }
}

void HeadsetPage::MagicOption(int voice, bool on) {
    if (voice < 0) {
        m_headset.SetMagicVoice(on, edited());
    } else if (on) {
        m_headset.SetMagicVoiceType(voice, edited());
    }
}

void HeadsetPage::SoundSwitch(int which, bool on) {
    const auto shown = [this](DeviceResult) { showAudio(); };
    const QString failed = QStringLiteral("sound_switch_failed_text");
    if (which == 0) {
        m_headset.SetNoiseSuppression(on, track(shown, failed));
    } else {
        m_headset.SetSurround(on, track(shown, failed));
    }
}

}  // namespace halvern::ui
