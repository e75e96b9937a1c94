#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/profile_records.h"

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace halvern::ui {

class ColourPalette;
class LanguageTexts;
class LayoutLoader;

/// The light editor of a device page, built from "light_control.ui": the mode list, brightness and speed,
/// direction, colour (edits, palette, colour button, preset swatches), multicolour, the keyboard's custom
/// group and game-colour lists, and the audio-reactive light's mode and colours. It only shows and reads
/// values: the page turns each change into a new light setting. Values set here notify nothing.
///
/// Which controls a light mode uses comes from LightModeLayout (core); ApplyModeLayout only applies it.
/// A control the layout lacks is skipped and leaves its value untouched.
class CLightControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLightControlUI)
public:
    static constexpr char kClassName[] = "LightControl";
    static constexpr char kLayout[] = "light_control.ui";
    static constexpr char kSwatchPrefix[] = "color_option_";
    static constexpr char kAudioSwatchPrefix[] = "audiocolor_option_";

    explicit CLightControlUI(const LayoutLoader* loader, QWidget* parent = nullptr);
    ~CLightControlUI() override;

    /// Language of the lists and direction texts; null shows the text ids. Must outlive the control.
    void SetTexts(const LanguageTexts* texts);
    /// No sound server can be recorded from: the music modes say so under their colour row.
    void SetSoundServerMissing(bool missing);
    /// The device's type code (1 keyboard, 2 mouse, 3 mouse pad, 7 headset, ...), which picks the layout
    /// table.
    void SetDeviceType(int typeCode) { m_typeCode = typeCode; }
    [[nodiscard]] int deviceType() const { return m_typeCode; }
    /// Whether the same-mode button may be shown (two or more devices are visible).
    void SetAllowSameMode(bool allow);
    [[nodiscard]] bool allowSameMode() const { return m_allowSameMode; }

    /// Fills the mode list (one entry per name, text = the name's text, hidden where not visible) and sets
    /// the sliders' maxima. `values` are the device mode values the layout follows.
    void SetModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                     const std::vector<int>& values, int brightnessMax, int speedMax);
    [[nodiscard]] size_t modeCount() const { return m_modeValues.size(); }
    /// The device mode value of list entry `index` (-1 when there is none).
    [[nodiscard]] int modeValue(int index) const;

    /// Shows every field of `light` and the layout of its mode.
    void ShowLightSettings(const LightSetting& light);

    [[nodiscard]] int GetModeIndex() const;
    /// Selects entry `index` and applies the layout of its mode.
    void SetModeIndex(int index);
    [[nodiscard]] int GetBrightness() const;
    void SetBrightness(int value);
    [[nodiscard]] int GetSpeed() const;
    void SetSpeed(int value);
    [[nodiscard]] int GetCustomGroup() const;
    void SetCustomGroup(int index);
    /// The game-colour list ("ZZCCLedMode").
    [[nodiscard]] int GetAudioLightMode() const;
    void SetAudioLightMode(int index);
    /// The decimal texts of the three edits (each clamped to 0..255; text that does not parse is 0).
    [[nodiscard]] std::array<uint8_t, 3> GetColour() const;
    /// Puts the colour into the three edits, the palette and the colour button.
    void SetColour(uint8_t red, uint8_t green, uint8_t blue);
    [[nodiscard]] bool GetMulticolour() const;
    void SetMulticolour(bool on);
    /// 1 when the first direction box is selected.
    [[nodiscard]] int GetDirection() const;
    void SetDirection(int direction);
    /// The user picked direction box `which` (0 first, 1 second): it stays selected and the other is not.
    void DirectionPicked(int which);
    /// The colour of preset swatch `n` as ARGB (opaque); 0 when the swatch does not exist.
    [[nodiscard]] uint32_t GetPresetColour(int n) const;
    [[nodiscard]] uint32_t GetAudioPresetColour(int n) const;
    /// The palette's colour as ARGB.
    [[nodiscard]] uint32_t GetPaletteColour() const;
    [[nodiscard]] uint32_t GetAudioPaletteColour() const;
    /// The colour the light colour button shows, as ARGB.
    [[nodiscard]] uint32_t GetButtonColour() const;

    /// Enables, disables, shows and hides the controls for device mode `value` of a device of `typeCode`.
    void ApplyModeLayout(int typeCode, int value);

    /// Stores the audio light record and shows it: its mode, and the foreground colour (with the
    /// seven-colour flag) or the background colour as its colour-type flag says. False (with a debug line)
    /// when an audio control is missing.
    [[nodiscard]] bool SetAudioLightInfo(const AudioLightInfo& info);
    /// The record the audio controls describe; with `takeButtonColour` the audio colour button's colour
    /// becomes the edited colour. Nothing (with a debug line) when an audio control is missing.
    [[nodiscard]] std::optional<AudioLightInfo> GetAudioLightInfo(bool takeButtonColour) const;
    /// The decimal texts of the three audio edits, as GetColour.
    [[nodiscard]] std::array<uint8_t, 3> GetAudioColour() const;
    /// Puts a colour into the audio edits, palette and button (the record is not changed).
    void SetAudioColour(uint8_t red, uint8_t green, uint8_t blue);
    /// The user chose which audio colour to edit: 0 background, 1 foreground (the other box is cleared).
    void AudioColourKindPicked(int foreground);

protected:
    /// A language applied over the window: the lists' entries and the side boxes take its texts too (they
    /// carry their text ids as item data, out of the reach of the ids on the widgets).
    bool event(QEvent* event) override;

private:
    void retranslateLists();
    void addSoundServerNote(QWidget* musicRow);
    void bindControls(QWidget* content);
    void fillFixedLists();
    [[nodiscard]] QString textOf(const QString& id) const;
    [[nodiscard]] uint32_t swatchColour(const char* prefix, int n) const;

    QPointer<QWidget> m_content;
    const LanguageTexts* m_texts = nullptr;
    int m_typeCode = 0;
    bool m_allowSameMode = false;
    bool m_sameOffered = false;       ///< the current mode's layout offers the same-mode button
    bool m_soundColourShown = false;  ///< the current mode follows the music
    bool m_soundServerMissing = false;
    QPointer<QWidget> m_soundServerNote;
    AudioLightInfo m_audio{};
    std::vector<int> m_modeValues;
    std::vector<std::string> m_modeNames;
    QPointer<QComboBox> m_modes, m_customGroups, m_gameColours, m_audioModes;
    QPointer<QAbstractSlider> m_brightness, m_speed;
    std::array<QPointer<QLineEdit>, 3> m_edits, m_audioEdits;
    QPointer<ColourPalette> m_palette, m_audioPalette;
    QPointer<QAbstractButton> m_colourButton, m_audioColourButton;
    QPointer<QAbstractButton> m_multicolour, m_audioSevenColour, m_left, m_right, m_same;
    QPointer<QAbstractButton> m_audioBackground, m_audioForeground;
    QPointer<QStackedWidget> m_colourPages;
};

}  // namespace halvern::ui
