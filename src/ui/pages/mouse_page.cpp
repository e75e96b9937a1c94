#include "ui/pages/mouse_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSet>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

#include "profile/data_folders.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/key_set_control.h"
#include "ui/pages/assignment_label.h"
#include "ui/pages/macro_tab.h"
#include "ui/pages/pointer_session.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/name_split.h"
#include "ui/toolkit/plain_text.h"
#include "ui/windows/message_box.h"

namespace halvern::ui {
namespace {

// The language keys of the eleven logical buttons.
constexpr std::array<const char*, CMerivexMouseDevice::kButtonCount> kButtonNames{
    "mouse_key_left",  "mouse_key_right",   "mouse_key_middle",   "mouse_key_forward",
    "mouse_key_back",  "mouse_key_DPI_add", "mouse_key_DPI_sub",  "mouse_key_DPI_loop",
    "keyboard_key_GM", "mouse_key_M8_key",  "mouse_key_fire_key",
};

using desktop::PointerSetting;

/// The Pointer tab's controls of one setting: its slider or option, the label beside a slider that shows
/// its value ("%1" of the value text; none: the number alone), the label that says why it cannot take
/// effect (speed and acceleration share one), and the profile's field.
struct PointerRow {
    PointerSetting setting;
    const char* control;
    const char* valueLabel;
    const char* valueTextId;
    const char* reasonLabel;
    uint16_t MouseSystem::*field;
};

constexpr std::array<PointerRow, 5> kPointerRows{{
    {PointerSetting::Speed, "pointer_speed_slider", "pointer_speed_value", nullptr, "pointer_speed_reason",
     &MouseSystem::mouseSpeed},
    {PointerSetting::Precision, "pointer_precision_check", nullptr, nullptr, "pointer_speed_reason",
     &MouseSystem::pointerPrecision},
    {PointerSetting::WheelLines, "scroll_speed_slider", "scroll_speed_value", "pointer_lines_value",
     "scroll_speed_reason", &MouseSystem::wheelLines},
    {PointerSetting::ScrollPage, "scrolls_page_check", nullptr, nullptr, "scrolls_page_reason",
     &MouseSystem::scrollPage},
    {PointerSetting::DoubleClick, "double_click_slider", "double_click_value", "pointer_ms_value",
     "double_click_reason", &MouseSystem::doubleClickTime},
}};

// What the routed slider and option numbers stand for.
constexpr std::array<PointerSetting, 3> kPointerSliders{PointerSetting::Speed, PointerSetting::WheelLines,
                                                        PointerSetting::DoubleClick};
constexpr std::array<PointerSetting, 2> kPointerOptions{PointerSetting::Precision,
                                                        PointerSetting::ScrollPage};

const PointerRow& pointerRow(PointerSetting setting) {
    for (const PointerRow& row : kPointerRows) {
        if (row.setting == setting) return row;
    }
    return kPointerRows[0];
}

constexpr int kListRowHeight = 25;
constexpr int kListNameWidth = 120;
constexpr int kListTextWidth = 140;

QString colourStyle(uint8_t r, uint8_t g, uint8_t b) {
    return QStringLiteral("background: rgb(%1, %2, %3);").arg(r).arg(g).arg(b);
}

void restyle(QWidget* w) {
    w->style()->unpolish(w);
    w->style()->polish(w);
}

}  // namespace

MousePage::MousePage(CMerivexMouseDevice& device, const LayoutLoader& loader, const LanguageTexts* texts,
                     QWidget* parent)
    : DevicePage(device, loader, parent),
      m_mouse(device),
      m_texts(texts),
      m_light(*this, MouseLightTarget(device,
                                      [] {
                                          const QSize size = screenPixels();
                                          return std::pair{size.width(), size.height()};
                                      })),
      m_pointer(MakePointerSettings(CurrentDesktopSession())) {}

QSize MousePage::screenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {1920, 1080};
    return screen->geometry().size() * screen->devicePixelRatio();
}

void MousePage::bindRecoilTab() {
    if (auto* pages = findControl<QStackedWidget>(this, QStringLiteral("mouse_macro_switch"))) {
        for (int tab = 0; tab < pages->count(); ++tab) {
            if (auto* option = findControl<QAbstractButton>(this, QStringLiteral("mouse_macro_subtab_"), tab))
                connect(option, &QAbstractButton::clicked, pages,
                        [pages, tab] { pages->setCurrentIndex(tab); });
        }
    }
    m_recoilEditor = findControl<CShootControlUI>(this, QStringLiteral("ShootControlItem"));
    if (!m_recoilEditor) return;
    m_recoilEditor->SetTexts(m_texts);
    m_recoilEditor->SetMessage([this](const QString& textId) {
        if (host()) host()->showMessage(textId);
    });
    // The mouse takes its macros, then the four patterns.
    m_recoilEditor->SetWriteToMouse([this] {
        m_mouse.WriteMacros(track([this](DeviceResult result) {
            if (result) m_mouse.WriteRecoilPatterns(track());
        }));
    });
    m_recoilEditor->SetFolders(m_mouse.UserFolder(), GetDefaultDataFolder());
}

QString MousePage::text(const QString& id) const {
    return m_texts ? m_texts->text(id) : id;
}

void MousePage::BindPageControls() {
    DevicePage::BindPageControls();
    QWidget* root = findControl(this, QStringLiteral("mouse_device_seting_layout"));
    if (!root) return;
    m_profileControl = BindProfileControl();
    BindBuiltControls();
}

void MousePage::BindBuiltControls() {
    if (!m_light.editor()) m_light.bind(this, m_texts);
    QWidget* root = findControl(this, QStringLiteral("mouse_device_seting_layout"));
    if (!root) return;
    for (int n = 0; n < static_cast<int>(m_stages.size()); ++n) {
        StageRow& s = m_stages[static_cast<size_t>(n)];
        if (s.row) continue;  // bound with its tab
        s.row = findControl(root, QStringLiteral("DPI_layout_"), n);
        s.enable = findControl<QCheckBox>(root, QStringLiteral("DPI_enable_check_"), n);
        s.select = findControl<QAbstractButton>(root, QStringLiteral("DPI_select_check_"), n);
        s.slider = findControl<QSlider>(root, QStringLiteral("DPI_slider_"), n);
        s.edit = findControl<QLineEdit>(root, QStringLiteral("DPI_edit_"), n);
        s.colour = findControl<QAbstractButton>(root, QStringLiteral("DPI_color_option_"), n);
        // Digits only, any number of them up to five: a value past the highest must still end the edit (and
        // be clamped there), not stay in the field as something the mouse does not have.
        if (s.edit) {
            s.edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), s.edit));
        }
    }
    for (int i = 0; i < static_cast<int>(m_polling.size()); ++i) {
        m_polling[static_cast<size_t>(i)] =
            findControl<QAbstractButton>(root, QStringLiteral("polling_rate_option_"), i);
    }
    m_buttonList = findControl(root, QStringLiteral("device_setkeyinfo_list"));
    m_hint = findControl(root, QStringLiteral("device_tishi_info"));
    if (!m_keyEditor) {
        m_keyEditor = findControl<CKeySetControlUI>(root, QStringLiteral("KeySetControlItem"));
        if (m_keyEditor) m_keyEditor->SetTexts(m_texts);
    }
    if (!m_macroEditor) m_macroEditor = BindMacroTab(*this, m_mouse, m_mouse.profile(), m_texts);
    if (!m_recoilEditor) bindRecoilTab();
    // The value beside a slider follows it while it is dragged.
    if (!m_pointerSlidersBound) {
        for (const PointerRow& row : kPointerRows) {
            if (!row.valueLabel) continue;
            if (auto* slider = findControl<QSlider>(root, QString::fromLatin1(row.control))) {
                connect(slider, &QSlider::valueChanged, this,
                        [this, setting = row.setting](int value) { showPointerValue(setting, value); });
                m_pointerSlidersBound = true;
            }
        }
    }
}

// ---- Showing the settings ----

void MousePage::ShowSettings() {
    m_light.show();
    showStages();
    showPolling();
    showPointer();
    rebuildButtonList();
    showLogoTooltip();
    if (m_keyEditor) m_keyEditor->SetMacroNames(m_mouse.macroNames());
}

void MousePage::showStages() {
    const DpiScale scale = m_mouse.dpiScale();
    const MouseSettings& settings = m_mouse.settings();
    for (size_t n = 0; n < m_stages.size(); ++n) {
        StageRow& s = m_stages[n];
        const DpiStage stage = n < settings.stages.size() ? settings.stages[n] : DpiStage{};
        if (s.slider) {
            if (scale.highest > 0) s.slider->setRange(0, scale.highest);
            s.slider->setValue(stage.dpiX);
        }
        if (s.edit) s.edit->setText(QString::number(scale.dpi(stage.dpiX)));
        if (s.colour) s.colour->setStyleSheet(colourStyle(stage.red, stage.green, stage.blue));
        if (s.enable) s.enable->setChecked(stage.active != 0);
        if (s.row) s.row->setEnabled(stage.active != 0);
    }
    showStageActive(settings.activeStage);
}

// The active stage shows the first thumb, cannot be switched off and is the selected one.
void MousePage::showStageActive(int active) {
    for (int n = 0; n < static_cast<int>(m_stages.size()); ++n) {
        StageRow& s = m_stages[static_cast<size_t>(n)];
        const bool isActive = n == active;
        if (s.slider) {
            s.slider->setProperty("activeStage", isActive);
            restyle(s.slider);
        }
        if (s.select) s.select->setChecked(isActive);
    }
    applyEnableRule(active);
}

// A stage's switch is offered while the mouse lets it go off (stageOffBar), judged on what the switches
// show: a click shows at once, before the mouse took the change.
void MousePage::applyEnableRule(int active) {
    MouseSettings shown = m_mouse.settings();
    shown.activeStage = active;
    shown.stages.resize(std::max(shown.stages.size(), m_stages.size()));
    for (size_t n = 0; n < m_stages.size(); ++n) {
        if (m_stages[n].enable) shown.stages[n].active = m_stages[n].enable->isChecked() ? 1 : 0;
    }
    for (size_t n = 0; n < m_stages.size(); ++n) {
        if (m_stages[n].enable)
            m_stages[n].enable->setEnabled(!shown.stages[n].active ||
                                           stageOffBar(shown, n) == StageOffBar::None);
    }
}

void MousePage::showPolling() {
    int index = m_mouse.settings().system.reportRate;
    if (index < 0 || index >= static_cast<int>(m_polling.size())) index = 0;
    if (QAbstractButton* option = m_polling[static_cast<size_t>(index)]) option->setChecked(true);
}

// Each control shows the profile's value; what cannot take effect in this session is disabled and says why.
void MousePage::showPointer() {
    const MouseSystem& system = m_mouse.settings().system;
    const desktop::UsbIds ids{m_mouse.identity().vid, m_mouse.identity().pid};
    QSet<QString> reasonsShown;  // speed and acceleration share their reason
    for (const PointerRow& row : kPointerRows) {
        const int value = system.*row.field;
        auto* control = findControl<QWidget>(this, QString::fromLatin1(row.control));
        if (auto* slider = qobject_cast<QSlider*>(control)) {
            const QSignalBlocker quiet(slider);
            slider->setValue(value);
        } else if (auto* check = qobject_cast<QAbstractButton*>(control)) {
            check->setChecked(value != 0);
        }
        showPointerValue(row.setting, value);
        const desktop::Availability availability = m_pointer
                                                       ? m_pointer->availability(row.setting, ids)
                                                       : desktop::Availability{"pointer_reason_no_x", {}};
        if (control) control->setEnabled(availability.available());
        if (row.valueLabel) {
            if (auto* label = findControl<QLabel>(this, QString::fromLatin1(row.valueLabel)))
                label->setEnabled(availability.available());
        }
        auto* reason = findControl<QLabel>(this, QString::fromLatin1(row.reasonLabel));
        if (!reason || reasonsShown.contains(reason->objectName())) continue;
        reasonsShown.insert(reason->objectName());
        reason->setVisible(!availability.available());
        if (!availability.available()) {
            reason->setText(
                text(QString::fromStdString(availability.reasonId))
                    .replace(QStringLiteral("%1"), QString::fromStdString(availability.argument)));
        }
    }
}

void MousePage::showPointerValue(PointerSetting setting, int value) {
    const PointerRow& row = pointerRow(setting);
    auto* label = row.valueLabel ? findControl<QLabel>(this, QString::fromLatin1(row.valueLabel)) : nullptr;
    if (!label) return;
    if (desktop::IsUnset(setting, value)) {
        label->setText(text(QStringLiteral("pointer_value_unset")));
    } else if (row.valueTextId) {
        label->setText(
            text(QString::fromLatin1(row.valueTextId)).replace(QStringLiteral("%1"), QString::number(value)));
    } else {
        label->setText(QString::number(value));
    }
}

void MousePage::SetPointerSettings(std::unique_ptr<desktop::PointerSettings> settings) {
    m_pointer = std::move(settings);
    showPointer();
}

std::optional<QString> MousePage::assignmentText(const KeyAssignment& a) const {
    return assignmentLabel(a, m_mouse.macroNames(), m_texts);
}

// One row per button with a text, at the button's own position; rows of buttons without a picture on the
// page stay hidden.
void MousePage::rebuildButtonList() {
    if (!m_buttonList) return;
    QLayout* rows = m_buttonList->layout();
    if (!rows) rows = new QVBoxLayout(m_buttonList);  // owned by the list
    // A row that had the keyboard focus gives it to its successor, not to whatever follows in the window.
    QString focusedRow;
    for (QWidget* f = QApplication::focusWidget(); f && m_buttonList->isAncestorOf(f);
         f = f->parentWidget()) {
        if (f->parentWidget() == m_buttonList) focusedRow = f->objectName();
    }
    while (QLayoutItem* item = rows->takeAt(0)) {
        if (QWidget* w = item->widget()) w->deleteLater();
        delete item;
    }
    const auto& keys = m_mouse.keyList();
    int rowCount = 0;
    for (int j = 0; j < static_cast<int>(kButtonNames.size()) && j < static_cast<int>(keys.size()); ++j) {
        const std::optional<QString> assignment = assignmentText(keys[static_cast<size_t>(j)].current);
        DeviceKeyButton* picture = keyButton(j);
        if (!assignment || !picture) continue;
        const QString name = text(QString::fromLatin1(kButtonNames[static_cast<size_t>(j)]));
        picture->setToolTip(
            QStringLiteral("<b>%1</b><br>%2").arg(name.toHtmlEscaped(), assignment->toHtmlEscaped()));
        QWidget* row = nullptr;
        while (rowCount <= j) {
            row = new QWidget(m_buttonList);
            row->setObjectName(QStringLiteral("device_setkeyinfo_row_%1").arg(rowCount));
            row->setFixedHeight(kListRowHeight);
            auto* box = new QHBoxLayout(row);
            box->setContentsMargins(0, 0, 0, 0);
            auto* nameLabel = new QLabel(row);
            nameLabel->setObjectName(QStringLiteral("name"));
            nameLabel->setFixedWidth(kListNameWidth);
            nameLabel->setTextFormat(Qt::PlainText);
            nameLabel->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
            // What the button does reads as a link, and is one: it opens the button's editor as the
            // button on the picture does. A push button's text is never markup, so a macro's name
            // reads as the user typed it.
            auto* link = new QPushButton(row);
            link->setObjectName(QStringLiteral("assignment"));
            link->setProperty("role", QStringLiteral("link"));
            link->setFixedWidth(kListTextWidth);
            link->setCursor(Qt::PointingHandCursor);
            link->setStyleSheet(QStringLiteral("text-align: left; padding: 0px;"));
            const int button = rowCount;
            connect(link, &QPushButton::clicked, this, [this, button] { KeyPicked(button); });
            box->addWidget(nameLabel);
            box->addWidget(link);
            box->addStretch();
            row->hide();
            row->setEnabled(false);
            rows->addWidget(row);
            ++rowCount;
        }
        row = rows->itemAt(j)->widget();
        row->findChild<QLabel*>(QStringLiteral("name"))->setText(name);
        auto* link = row->findChild<QPushButton*>(QStringLiteral("assignment"));
        // A button takes "&" for a shortcut mark: doubled, it reads as typed.
        link->setText(link->fontMetrics()
                          .elidedText(*assignment, Qt::ElideRight, kListTextWidth)
                          .replace(QLatin1Char('&'), QStringLiteral("&&")));
        link->setToolTip(plainToolTip(*assignment));
        row->setEnabled(true);
        row->setVisible(!picture->isHidden());
    }
    m_buttonList->setVisible(true);
    m_buttonList->update();
    const auto focused = splitName(focusedRow);
    if (QLayoutItem* item = focused ? rows->itemAt(focused->index) : nullptr) {
        QWidget* link =
            item->widget() ? item->widget()->findChild<QPushButton*>(QStringLiteral("assignment")) : nullptr;
        if (link && link->isVisibleTo(m_buttonList) && link->isEnabled()) link->setFocus();
    }
}

void MousePage::showLogoTooltip() {
    auto* logo = findControl<QWidget>(this, QStringLiteral("logo"));
    if (!logo) return;
    const uint8_t mode = m_mouse.settings().light.mode;
    const LightModeLists& lists = m_mouse.lightLists();
    QString modeName;
    // The built-in modes first, then the user's effects: the same rule the profile finds an effect by.
    const size_t builtIn = lists.names.size();
    if (mode < builtIn) {
        modeName = text(QString::fromStdString(lists.names[mode]));
    } else if (mode - builtIn < lists.lightNames.size()) {
        modeName = QString::fromStdString(lists.lightNames[mode - builtIn]);
    }
    logo->setToolTip(QStringLiteral("<b>Logo</b><br>%1<br>%2 %3")
                         .arg(text(QStringLiteral("Light_Set")).toHtmlEscaped(),
                              text(QStringLiteral("Overall_Light_Set")).toHtmlEscaped(),
                              modeName.toHtmlEscaped()));
}

// ---- Changes ----

void MousePage::change(const std::function<void(MouseSettings&)>& edit) {
    const QSize screen = screenPixels();
    m_mouse.ChangeSettings(edit, screen.width(), screen.height(), track());
}

void MousePage::DpiSliderMoving(int stage, int position) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    if (QLineEdit* edit = m_stages[static_cast<size_t>(stage)].edit) {
        edit->setText(QString::number(m_mouse.dpiScale().dpi(position)));
    }
}

void MousePage::DpiSliderChanged(int stage, int position) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    DpiSliderMoving(stage, position);
    change([stage, position](MouseSettings& s) {
        if (s.stages.size() <= static_cast<size_t>(stage)) s.stages.resize(static_cast<size_t>(stage) + 1);
        DpiStage& d = s.stages[static_cast<size_t>(stage)];
        d.dpiX = static_cast<uint16_t>(position);
        if (d.xy == 0) d.dpiY = d.dpiX;
    });
}

void MousePage::DpiEdited(int stage) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    StageRow& s = m_stages[static_cast<size_t>(stage)];
    if (!s.edit) return;
    const int typed = s.edit->text().toInt();  // empty counts as 0; the validator keeps it to five digits
    const DpiScale scale = m_mouse.dpiScale();
    const int position = scale.position(typed);
    if (typed < scale.lowestDpi() || typed > scale.highestDpi()) {
        // The stage takes the nearest DPI the mouse has; say why the field now shows another number.
        QToolTip::showText(
            s.edit->mapToGlobal(QPoint(0, s.edit->height())),
            text(QStringLiteral("dpi_range_text")).arg(scale.lowestDpi()).arg(scale.highestDpi()), s.edit);
    }
    if (s.slider) s.slider->setValue(position);
    DpiSliderChanged(stage, position);  // shows the DPI of the position stored, not what was typed
}

void MousePage::DpiEnabled(int stage, bool enabled) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    StageRow& s = m_stages[static_cast<size_t>(stage)];
    if (s.row) s.row->setEnabled(enabled);
    if (s.enable) s.enable->setChecked(enabled);
    applyEnableRule(m_mouse.settings().activeStage);
    change([stage, enabled](MouseSettings& m) {
        if (m.stages.size() <= static_cast<size_t>(stage)) m.stages.resize(static_cast<size_t>(stage) + 1);
        m.stages[static_cast<size_t>(stage)].active = enabled ? 1 : 0;
    });
}

void MousePage::DpiSelected(int stage) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    showStageActive(stage);
    change([stage](MouseSettings& m) { m.activeStage = stage; });
}

uint32_t MousePage::DpiColour(int stage) const {
    const auto& stages = m_mouse.settings().stages;
    if (stage < 0 || static_cast<size_t>(stage) >= stages.size()) return 0xFF000000;
    const DpiStage& d = stages[static_cast<size_t>(stage)];
    return 0xFF000000u | uint32_t{d.red} << 16 | uint32_t{d.green} << 8 | d.blue;
}

void MousePage::DpiColourOption(int stage) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size()) || !host()) return;
    if (const std::optional<uint32_t> colour = host()->pickColour(DpiColour(stage)))
        DpiColourPicked(stage, *colour);
}

void MousePage::DpiColourPicked(int stage, uint32_t argb) {
    if (stage < 0 || stage >= static_cast<int>(m_stages.size())) return;
    change([stage, argb](MouseSettings& m) {
        if (m.stages.size() <= static_cast<size_t>(stage)) m.stages.resize(static_cast<size_t>(stage) + 1);
        DpiStage& d = m.stages[static_cast<size_t>(stage)];
        d.red = static_cast<uint8_t>(argb >> 16);
        d.green = static_cast<uint8_t>(argb >> 8);
        d.blue = static_cast<uint8_t>(argb);
    });
    showStages();
}

void MousePage::PollingSelected(int index) {
    if (index < 0 || index >= static_cast<int>(m_polling.size())) return;
    change([index](MouseSettings& m) { m.system.reportRate = static_cast<uint16_t>(index); });
}

void MousePage::PointerSliderChanged(int which, int value) {
    if (which < 0 || which >= static_cast<int>(kPointerSliders.size())) return;
    changePointer(kPointerSliders[static_cast<size_t>(which)], value);
}

void MousePage::PointerOptionChanged(int which, bool on) {
    if (which < 0 || which >= static_cast<int>(kPointerOptions.size())) return;
    changePointer(kPointerOptions[static_cast<size_t>(which)], on ? 1 : 0);
}

// The setting acts first; only what the session took is kept with the profile, so the page never shows a
// value the desktop refused.
void MousePage::changePointer(PointerSetting setting, int value) {
    const auto v = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
    const desktop::UsbIds ids{m_mouse.identity().vid, m_mouse.identity().pid};
    const desktop::ApplyResult result =
        m_pointer ? m_pointer->apply(setting, v, ids) : desktop::ApplyResult::Unavailable;
    if (result == desktop::ApplyResult::Unavailable) {
        showPointer();  // its control is disabled: a change that still arrives changes nothing
        return;
    }
    if (result == desktop::ApplyResult::Failed) {
        showPointer();
        if (host()) (void)host()->showMessage(QStringLiteral("pointer_apply_failed"));
        return;
    }
    const auto field = pointerRow(setting).field;
    change([field, v](MouseSettings& m) { m.system.*field = v; });
    showPointerValue(setting, v);
}

void MousePage::SettingsTabSelected(int tab) {
    if (auto* pages = findControl<QStackedWidget>(this, QStringLiteral("mouse_seting_switch"))) {
        if (tab >= 0 && tab < pages->count()) pages->setCurrentIndex(tab);
    }
}

// ---- Button editor ----

void MousePage::KeyPicked(int button) {
    if (button < 0 || static_cast<size_t>(button) >= m_mouse.keyList().size()) return;
    m_pickedButton = button;
    m_mouse.SetListTag(button);
    BuildSectionOf(QStringLiteral("KeySetControlItem"));  // the editor waits on its tab for the button
    if (m_hint) m_hint->hide();
    if (!m_keyEditor) return;
    m_keyEditor->LoadEntry(m_mouse.keyList()[static_cast<size_t>(button)]);
    m_keyEditor->SetEditedKey(QString::fromLatin1(kButtonNames[static_cast<size_t>(button)]));
    m_keyEditor->show();
    markEditedKey(button);
    // A button picked while another tab is shown brings the keys tab forward, where its editor is.
    constexpr int kKeysTab = 1;
    if (auto* tab = findControl<QAbstractButton>(this, QStringLiteral("key_Op_tab"))) tab->setChecked(true);
    ShowFunctionTab(kKeysTab);
}

// The editor closes, its button is no longer marked and the tab says again what to do there.
void MousePage::closeKeyEditor() {
    if (m_keyEditor) m_keyEditor->hide();
    markEditedKey(-1);
    if (m_hint) m_hint->show();
}

bool MousePage::storeAssignment(const KeyListEntry& entry) {
    if (m_pickedButton < 0) return false;
    const auto button = static_cast<size_t>(m_pickedButton);
    // Without a button doing left click the user could not click on anything, this question included:
    // it is asked before, and a "no" leaves the button as it was with the editor open.
    if (m_mouse.TakesLastLeftClick(button, entry.current) &&
        (!host() || host()->showMessage(QStringLiteral("mouse_left_click_lost_text"), true,
                                        MessageBox::kConfirmCancel) != 1)) {
        if (m_keyEditor && button < m_mouse.keyList().size())
            m_keyEditor->SetCurrent(m_mouse.keyList()[button].current);
        return false;
    }
    m_mouse.SetKeyAssignment(button, entry, track([this](DeviceResult) { rebuildButtonList(); }));
    rebuildButtonList();
    return true;
}

void MousePage::KeyEditorButton(int which) {
    if (!m_keyEditor) return;
    switch (which) {
        case 0:
            if (const QString why = m_keyEditor->IncompleteTextId(); !why.isEmpty()) {
                // An assignment without its key, choice or count would leave the button doing nothing: it is
                // refused and the editor stays open to finish it.
                if (host()) (void)host()->showMessage(why);
                return;
            }
            if (storeAssignment(m_keyEditor->ReadAssignment())) closeKeyEditor();
            return;
        case 1:
            // The default is the button's function from now on, stored and sent like any other choice.
            if (storeAssignment(m_keyEditor->RestoreDefault())) closeKeyEditor();
            return;
        case 2:
            m_keyEditor->ShowCurrent();
            closeKeyEditor();
            return;
        case 3:
            m_mouse.WriteKeysAndMacros(track({}, QStringLiteral("message_text_7")));
            return;
        default:
            return;
    }
}

void MousePage::KeyEditorChoice(int which) {
    if (!m_keyEditor) return;
    if (which == 0) m_keyEditor->OnFunctionSelected();
    if (which == 1) m_keyEditor->OnMacroOverSelected();
}

}  // namespace halvern::ui
