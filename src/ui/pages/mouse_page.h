#pragma once

#include <QPointer>
#include <QSize>
#include <array>
#include <optional>

#include "desktop/pointer_settings.h"
#include "devices/mouse_device.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/key_set_control.h"
#include "ui/controls/macro_control.h"
#include "ui/controls/shoot_control.h"
#include "ui/pages/device_page.h"
#include "ui/pages/light_panel.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace halvern::ui {

class LanguageTexts;

/// The mouse's page: DPI stages with their DPI numbers, polling rate, pointer settings, the list of
/// buttons with what each does, and the button editor. Every change goes through the device object's
/// ChangeSettings (record written, then the profile saved); a change the mouse refuses is taken back on
/// the page and the window says what failed.
class MousePage : public DevicePage {
    Q_OBJECT
public:
    MousePage(CMerivexMouseDevice& device, const LayoutLoader& loader, const LanguageTexts* texts,
              QWidget* parent = nullptr);

    [[nodiscard]] CMerivexMouseDevice& mouse() { return m_mouse; }
    [[nodiscard]] LightPanel* lightPanel() override { return &m_light; }

    void BindPageControls() override;
    void BindBuiltControls() override;
    /// Shows the device's settings on every control (the device calls this after reading its state).
    void ShowSettings() override;

    // ---- What the window routes here (stage numbers 0-5). Out-of-range numbers do nothing. ----
    void DpiSliderMoving(int stage, int position);
    /// Stores the slider's position as the stage's DPI.
    void DpiSliderChanged(int stage, int position);
    /// The stage's DPI field was left: the DPI typed, clamped to what the mouse can do, is stored and shown.
    void DpiEdited(int stage);
    void DpiEnabled(int stage, bool enabled);
    void DpiSelected(int stage);
    /// Opens the colour picker for the stage's colour (through the host) and stores the colour chosen.
    void DpiColourOption(int stage);
    void DpiColourPicked(int stage, uint32_t argb);
    [[nodiscard]] uint32_t DpiColour(int stage) const;
    void PollingSelected(int index);
    /// Pointer sliders (0 speed, 1 wheel lines, 2 double-click time) and options (0 precision, 1 page).
    /// The setting is made to act where the session allows (the mouse's own input device, the desktop's
    /// settings), then kept with the profile; one that the desktop refuses is taken back and the window
    /// says so.
    void PointerSliderChanged(int which, int value);
    void PointerOptionChanged(int which, bool on);
    /// Where the pointer settings are made to act (the window's session by default; tests give a fake).
    void SetPointerSettings(std::unique_ptr<desktop::PointerSettings> settings);
    void SettingsTabSelected(int tab);
    /// A button was picked on the picture: its assignment goes to the editor.
    void KeyPicked(int button);
    /// The editor's buttons: 0 save, 1 default, 2 cancel, 3 write keys and macros to the mouse.
    void KeyEditorButton(int which);
    /// An item chosen in one of the editor's lists (0 is the category list, 1 the macro repeat list).
    void KeyEditorChoice(int which);

    [[nodiscard]] CDeviceProfileUI* profileControl() const { return m_profileControl; }
    [[nodiscard]] CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    [[nodiscard]] CMacroControlUI* macroEditor() const { return m_macroEditor; }
    [[nodiscard]] CShootControlUI* recoilEditor() const { return m_recoilEditor; }

    /// The primary screen's size in pixels, which the mouse's record carries.
    [[nodiscard]] static QSize screenPixels();

private:
    struct StageRow {
        QPointer<QWidget> row;
        QPointer<QCheckBox> enable;
        QPointer<QAbstractButton> select;
        QPointer<QSlider> slider;
        QPointer<QLineEdit> edit;
        QPointer<QAbstractButton> colour;
    };

    void change(const std::function<void(MouseSettings&)>& edit);
    void showStages();
    void showStageActive(int active);
    void applyEnableRule(int active);
    void showPolling();
    void showPointer();
    void showPointerValue(desktop::PointerSetting setting, int value);
    void changePointer(desktop::PointerSetting setting, int value);
    void rebuildButtonList();
    /// Stores the picked key's new assignment in the device (which sends and saves it) and shows it. False
    /// when the user kept the button as it was (it held the mouse's last left click).
    bool storeAssignment(const KeyListEntry& entry);
    /// Closes the key editor and unmarks its button on the picture.
    void closeKeyEditor();
    void showLogoTooltip();
    void bindRecoilTab();
    [[nodiscard]] QString text(const QString& id) const;
    [[nodiscard]] std::optional<QString> assignmentText(const KeyAssignment& a) const;

    CMerivexMouseDevice& m_mouse;
    const LanguageTexts* m_texts;
    std::array<StageRow, CMerivexMouseDevice::kStageCount> m_stages;
    std::array<QPointer<QAbstractButton>, 5> m_polling;
    QPointer<QWidget> m_buttonList;
    QPointer<QWidget> m_hint;
    bool m_pointerSlidersBound = false;
    QPointer<CKeySetControlUI> m_keyEditor;
    QPointer<CMacroControlUI> m_macroEditor;
    QPointer<CShootControlUI> m_recoilEditor;
    QPointer<CDeviceProfileUI> m_profileControl;
    int m_pickedButton = -1;
    LightPanel m_light;
    std::unique_ptr<desktop::PointerSettings> m_pointer;
};

}  // namespace halvern::ui
