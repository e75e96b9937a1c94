#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "devices/keyboard_device.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/key_set_control.h"
#include "ui/controls/macro_control.h"
#include "ui/pages/device_page.h"
#include "ui/pages/light_panel.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSlider;

namespace halvern::ui {

class LanguageTexts;

/// The keyboard's page: the picture with its 170 key spots (each with what the key does and a mark on
/// remapped keys), custom colours for the keys dragged over on the picture, the key editor, polling rate,
/// lock and rollover flags, and key repeat. Every settings change goes through the device object's
/// ChangeSettings (record written, then the profile saved); a change the keyboard refuses is taken back on
/// the page and the window says what failed.
/// The page never talks to the keyboard's frame stream: the device streams from a worker of its own.
class KeyboardPage final : public DevicePage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyboardPage)
public:
    static constexpr int kPollingChoices = 4;
    static constexpr int kDelayChoices = 4;
    static constexpr int kFlagCount = 3;  ///< 0 Windows-key lock, 1 W flag, 2 6-key rollover

    KeyboardPage(CMerivexKeyboardDevice& device, const LayoutLoader& loader, const LanguageTexts* texts,
                 QWidget* parent = nullptr);

    [[nodiscard]] CMerivexKeyboardDevice& keyboard() { return m_keyboard; }
    [[nodiscard]] LightPanel* lightPanel() override { return &m_light; }

    void BindPageControls() override;
    void BindBuiltControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// A language applied to the window: the texts the page composes in code follow it.
    bool event(QEvent* event) override;
    /// Shows the keyboard's settings on every control (the device calls this after reading its state).
    void ShowSettings() override;
    /// Rebuilds the key pictures' tooltips and remapped marks, then the repeat-delay texts.
    void ShowKeyPictures();

    // ---- What the main window routes here. ----
    void FlagChanged(int which, bool on);
    void RepeatRateChanged(int value);
    void RepeatDelaySelected(int choice);
    /// Puts the key repeat rate and delay back to the shipped defaults.
    void ResetKeyRepeat();
    void PollingSelected(int choice);
    /// A key was picked on the picture: its assignment goes to the editor.
    void KeyPicked(int key);
    /// The editor's buttons: 0 save, 1 default, 2 cancel, 3 write keys and macros.
    void KeyEditorButton(int which);
    void KeyEditorChoice(int which);

    /// A drag over the picture ended: the keys it selected become the keys the colour strip colours.
    void SelectionEnded();
    [[nodiscard]] const std::vector<int>& selectedKeys() const { return m_selected; }
    /// The colour the strip gives to keys (0xRRGGBB).
    [[nodiscard]] uint32_t customColour() const { return m_colour; }
    void SetCustomColour(uint32_t rgb);
    /// Opens the colour picker (through the host) for the strip's colour.
    void PickCustomColour();
    /// Gives the selected keys (0) or every present key (1) the strip's colour, or switches every key off
    /// (2). Puts the keyboard into the custom colour mode first when it is in another mode. A refusal is
    /// shown by the window ("custom_colour_failed_text").
    void ApplyCustomColour(int which);

    [[nodiscard]] CDeviceProfileUI* profileControl() const { return m_profileControl; }
    [[nodiscard]] CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    [[nodiscard]] CMacroControlUI* macroEditor() const { return m_macroEditor; }

    /// "Repeat_Delay_Time" n × 250 + 250 "ms"; a choice outside 0-3 counts as 0.
    [[nodiscard]] static QString delayText(const QString& prefix, int choice);

private:
    void change(const std::function<void(KeyboardSettings&)>& edit,
                std::function<void(DeviceResult)> then = {});
    /// Stores the picked key's new assignment in the device (which sends and saves it) and shows it.
    void closeKeyEditor();
    void storeAssignment(const KeyListEntry& entry);
    void fitFunctionPagesToTheCurrentOne();
    /// The function area's height follows what its tab shown asks for.
    void fitFunctionScroll();
    void showFlags();
    void showRepeat();
    void showPolling();
    void showRepeatTexts();
    void showSelection();
    [[nodiscard]] QString text(const char* id) const;

    CMerivexKeyboardDevice& m_keyboard;
    const LanguageTexts* m_texts;
    std::array<QPointer<QAbstractButton>, kPollingChoices> m_polling;
    std::array<QPointer<QAbstractButton>, kDelayChoices> m_delays;
    std::array<QPointer<QAbstractButton>, kFlagCount> m_flags;
    QPointer<QSlider> m_repeatRate;
    QPointer<QLabel> m_delayLabel;
    QPointer<QLineEdit> m_tryOut;
    QPointer<QWidget> m_hint;
    QPointer<QAbstractButton> m_swatch;
    QPointer<QLabel> m_selectionLabel;
    QPointer<CKeySetControlUI> m_keyEditor;
    QPointer<CMacroControlUI> m_macroEditor;
    QPointer<CDeviceProfileUI> m_profileControl;
    QPointer<QScrollArea> m_functionScroll;
    std::vector<int> m_selected;
    uint32_t m_colour = 0xFFFFFF;
    int m_pickedKey = -1;
    LightPanel m_light;
};

}  // namespace halvern::ui
