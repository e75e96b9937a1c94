#pragma once

#include <QPointer>
#include <memory>

#include "devices/headset_audio.h"
#include "ui/pages/light_only_page.h"

namespace halvern {
class CMerivexHS6533Device;
}

namespace halvern::ui {

class CMagicControlUI;
class CVoice6533ControlUI;

/// The headset's page: its picture, the Lighting tab, the sound editor (equaliser, microphone, monitor) and
/// the voice changer. Every sound edit goes to the headset at once and returns: the sound library is called
/// on the headset's queue. When its answer comes the page shows the headset's settings again; when the
/// library refused, that brings back what did not change, and the window says so in one message. Controls the
/// library has nothing to act on are disabled with a tooltip that says why.
class HeadsetPage final : public LightOnlyPage {
    Q_OBJECT
public:
    HeadsetPage(CMerivexHS6533Device& headset, std::unique_ptr<LightTarget> target,
                const LayoutLoader& loader, const LanguageTexts* texts, QWidget* parent = nullptr);

    void BindBuiltControls() override;
    void ShowSettings() override;
    [[nodiscard]] CVoice6533ControlUI* voiceControl() const;
    [[nodiscard]] CMagicControlUI* magicControl() const;

    // ---- What the window routes here. ----
    /// EQ choice `type` (1-12 a preset, 13 the custom EQ) was selected.
    void EqOption(int type);
    /// Band slider `band` was let go at `value`.
    void EqBandMoved(int band, int value);
    /// Saved EQ `index` was chosen.
    void EqNameChosen(int index);
    /// 0 save the custom EQ, 1 delete the chosen one.
    void EqButton(int which);
    /// 0 the microphone, 1 the monitor, turned on or off.
    void MicOption(int which, bool on);
    /// 0 the microphone's level, 1 the monitor's.
    void MicSlider(int which, int value);
    /// `voice` -1 the voice changer turned on or off, 1-4 that voice chosen.
    void MagicOption(int voice, bool on);
    /// 0 noise suppression, 1 virtual surround, turned on or off (the sound server is called off this
    /// thread; the switch shows the answer).
    void SoundSwitch(int which, bool on);

private:
    void showAudio();
    void showAvailability();
    /// The completion of a sound edit: it shows the headset's settings, and a refusal says so.
    [[nodiscard]] CMerivexUSBDevice::Done edited(
        const QString& refusalTextId = QStringLiteral("audio_write_failed_text"));

    CMerivexHS6533Device& m_headset;
    const LanguageTexts* m_texts;
    QPointer<CVoice6533ControlUI> m_voice;
    QPointer<CMagicControlUI> m_magic;
};

}  // namespace halvern::ui
