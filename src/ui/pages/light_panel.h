#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

#include "devices/light_target.h"
#include "ui/controls/light_control.h"

class QWidget;

namespace halvern::ui {

class DevicePage;
class LanguageTexts;

/// The Lighting tab of a device page: the page's light editor over the device's light target. Each change
/// the user makes reads the device's light record, replaces the field that changed, and hands the record
/// back to the device, which stores it in the profile, applies it and sends it (the profile is saved once
/// the device took it). A refusal shows the device's settings again and the window says what failed. A
/// change of the page's own light takes the device out of synchronised lighting.
class LightPanel {
public:
    /// The device's light target; null leaves the panel unavailable (its tab stays hidden).
    LightPanel(DevicePage& page, std::unique_ptr<LightTarget> target);
    ~LightPanel();
    LightPanel(const LightPanel&) = delete;
    LightPanel& operator=(const LightPanel&) = delete;

    /// Finds the editor in the page and fills its mode list; false when the page has no editor or the
    /// device no light target (the Lighting tab then stays hidden).
    bool bind(QWidget* root, const LanguageTexts* texts);
    [[nodiscard]] bool available() const { return m_editor && m_target; }
    [[nodiscard]] CLightControlUI* editor() const { return m_editor; }
    [[nodiscard]] LightTarget* target() const { return m_target.get(); }

    /// Shows the device's light settings and audio light (after the device's settings changed).
    void show();
    /// The mode list again (the user's saved effects may have changed with the profile).
    void refreshModes();

    // ---- What the window routes here. ----
    /// 0 the light mode, 1 the custom group, 2 the game-colour list, 3 the audio mode.
    void ModeSelected(int which, int index);
    /// 0 brightness, 1 speed.
    void ValueChanged(int which, int value);
    /// 0 and 1 the direction boxes, 2 multicolour, 3 the audio seven colours, 4 and 5 the audio colour kind.
    void ChoiceChanged(int which, bool on);
    /// 0-2 the light colour edits, 3-5 the audio colour edits.
    void ColourEdited(int which);
    void PaletteColour(uint32_t argb);
    void AudioPaletteColour(uint32_t argb);
    void ColourOption(int n);
    void AudioColourOption(int n);
    /// 2 the audio background becomes black, 3 the colour button, 4 the audio colour button.
    void Button(int which);

private:
    void change(const std::function<void(LightSetting&)>& edit);
    void changeColour(uint32_t argb);
    /// Reads the editor's audio record (with the audio colour button's colour when asked), edits it, and
    /// hands it to the device; the editor shows what the device keeps.
    void changeAudio(bool takeButtonColour, const std::function<void(AudioLightInfo&)>& edit);
    void setAudioChannel(int channel, uint8_t value);
    void setAudioColour(uint32_t argb, bool clearsSevenColour);

    DevicePage& m_page;
    std::unique_ptr<LightTarget> m_target;
    QPointer<CLightControlUI> m_editor;
};

}  // namespace halvern::ui
