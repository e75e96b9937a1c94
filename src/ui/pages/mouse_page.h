#pragma once

#include <QPointer>
#include <QSize>
#include <array>
#include <optional>

#include "devices/mouse_device.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/key_set_control.h"
#include "ui/pages/device_page.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace halvern::ui {

class LanguageTexts;

/// The mouse's page: DPI stages with their DPI numbers, polling rate, pointer settings, the list of
/// buttons with what each does, and the button editor. Every change goes through the device object's
/// ChangeSettings (profile saved, record written); a change the mouse refuses is taken back on the page.
class MousePage : public DevicePage {
    Q_OBJECT
public:
    MousePage(CMerivexMouseDevice& device, const LayoutLoader& loader, const LanguageTexts* texts,
              QWidget* parent = nullptr);

    [[nodiscard]] CMerivexMouseDevice& mouse() { return m_mouse; }

    void BindPageControls() override;
    /// Shows the device's settings on every control (the device calls this after reading its state).
    void ShowSettings();

    // ---- What the main window routes here (stage numbers 0-5). ----
    void DpiSliderMoving(int stage, int position);
    /// Stores the slider's position as the stage's DPI; false (and the page restored) when refused.
    bool DpiSliderChanged(int stage, int position);
    bool DpiEdited(int stage);
    bool DpiEnabled(int stage, bool enabled);
    bool DpiSelected(int stage);
    bool DpiColourPicked(int stage, uint32_t argb);
    [[nodiscard]] uint32_t DpiColour(int stage) const;
    bool PollingSelected(int index);
    /// Pointer sliders (0 speed, 1 wheel lines, 2 double-click time) and options (0 precision, 1 page).
    bool PointerSliderChanged(int which, int value);
    bool PointerOptionChanged(int which, bool on);
    void SettingsTabSelected(int tab);
    /// A button was picked on the picture: its assignment goes to the editor.
    void KeyPicked(int button);
    /// The editor's buttons: 0 save, 1 default, 2 cancel, 3 write keys and macros to the mouse. Returns the
    /// write result for 3 (0 success, -1 failure, else events to remove), 0 otherwise.
    int KeyEditorButton(int which);
    /// An item chosen in one of the editor's lists (0 is the category list, 1 the macro repeat list).
    void KeyEditorChoice(int which);

    [[nodiscard]] CDeviceProfileUI* profileControl() const { return m_profileControl; }
    [[nodiscard]] CKeySetControlUI* keyEditor() const { return m_keyEditor; }

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

    bool change(const std::function<void(MouseSettings&)>& edit);
    void showStages();
    void showStageActive(int active);
    void applyEnableRule();
    void showPolling();
    void showPointer();
    void rebuildButtonList();
    void showLogoTooltip();
    [[nodiscard]] QString text(const QString& id) const;
    [[nodiscard]] std::optional<QString> assignmentText(const KeyAssignment& a) const;

    CMerivexMouseDevice& m_mouse;
    const LanguageTexts* m_texts;
    std::array<StageRow, CMerivexMouseDevice::kStageCount> m_stages;
    std::array<QPointer<QAbstractButton>, 5> m_polling;
    QPointer<QWidget> m_buttonList;
    QPointer<QWidget> m_hint;
    QPointer<CKeySetControlUI> m_keyEditor;
    QPointer<CDeviceProfileUI> m_profileControl;
    int m_pickedButton = -1;
};

}  // namespace halvern::ui
