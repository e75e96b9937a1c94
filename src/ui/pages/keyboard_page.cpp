#include "ui/pages/keyboard_page.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <algorithm>

#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "ui/controls/device_key_button.h"
#include "ui/pages/assignment_label.h"
#include "ui/pages/macro_tab.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

constexpr std::array<const char*, KeyboardPage::kFlagCount> kFlagNames{"winlockflag_option", "wflag_option",
                                                                       "6flag_option"};

QString swatchStyle(uint32_t rgb) {
    return QStringLiteral("background: #%1;").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

// Sets a check without sending its notification: showing a setting must not write it back.
void setCheckedQuietly(QAbstractButton* button, bool on) {
    if (!button) return;
    const QSignalBlocker block(button);
    button->setChecked(on);
}

}  // namespace

KeyboardPage::KeyboardPage(CMerivexKeyboardDevice& device, const LayoutLoader& loader,
                           const LanguageTexts* texts, QWidget* parent)
    : DevicePage(device, loader, parent),
      m_keyboard(device),
      m_texts(texts),
      m_light(*this, KeyboardLightTarget(device)) {}

QString KeyboardPage::text(const char* id) const {
    const QString key = QString::fromLatin1(id);
    return m_texts ? m_texts->text(key) : key;
}

QString KeyboardPage::delayText(const QString& prefix, int choice) {
    if (choice < 0 || choice >= kDelayChoices) choice = 0;
    return prefix + QString::number(choice * 250 + 250) + QStringLiteral("ms");
}

void KeyboardPage::BindPageControls() {
    DevicePage::BindPageControls();
    m_profileControl = BindProfileControl();
    BindBuiltControls();
    fitFunctionPagesToTheCurrentOne();
}

void KeyboardPage::BindBuiltControls() {
    if (!m_light.editor()) m_light.bind(this, m_texts);
    for (int i = 0; i < kPollingChoices; ++i) {
        m_polling[static_cast<size_t>(i)] =
            findControl<QAbstractButton>(this, QStringLiteral("polling_rate_option_"), i);
    }
    for (int i = 0; i < kDelayChoices; ++i) {
        m_delays[static_cast<size_t>(i)] =
            findControl<QAbstractButton>(this, QStringLiteral("repeat_delay_check_"), i);
    }
    for (size_t i = 0; i < kFlagNames.size(); ++i) {
        m_flags[i] = findControl<QAbstractButton>(this, QString::fromLatin1(kFlagNames[i]));
    }
    m_repeatRate = findControl<QSlider>(this, QStringLiteral("repeat_rate_slider"));
    m_delayLabel = findControl<QLabel>(this, QStringLiteral("repeat_delay_time_label1"));
    m_tryOut = findControl<QLineEdit>(this, QStringLiteral("repeat_input_richedit"));
    m_hint = findControl(this, QStringLiteral("device_tishi_info"));
    m_swatch = findControl<QAbstractButton>(this, QStringLiteral("custom_colour_swatch"));
    m_selectionLabel = findControl<QLabel>(this, QStringLiteral("custom_colour_selection_label"));
    if (m_swatch) m_swatch->setStyleSheet(swatchStyle(m_colour));
    if (!m_keyEditor) {
        m_keyEditor = findControl<CKeySetControlUI>(this, QStringLiteral("KeySetControlItem"));
        if (m_keyEditor) m_keyEditor->SetTexts(m_texts);
    }
    if (!m_macroEditor) m_macroEditor = BindMacroTab(*this, m_keyboard, m_keyboard.profile(), m_texts);
    showSelection();
}

// A stack is as tall as its tallest page; the key editor would make every tab scroll. Pages not shown
// ask for no room. The tab shown gets the height it asks for: the picture above gives way (it is drawn
// smaller), so the editors do not scroll.
void KeyboardPage::fitFunctionPagesToTheCurrentOne() {
    auto* pages = findControl<QStackedWidget>(this, QStringLiteral("device_function_switch"));
    if (!pages) return;
    const auto fit = [pages](int current) {
        for (int i = 0; i < pages->count(); ++i) {
            const auto policy = i == current ? QSizePolicy::Preferred : QSizePolicy::Ignored;
            pages->widget(i)->setSizePolicy(policy, policy);
        }
    };
    connect(pages, &QStackedWidget::currentChanged, this, fit);
    fit(pages->currentIndex());
    m_functionScroll = findControl<QScrollArea>(this, QStringLiteral("keyboard_function_scroll"));
    if (m_functionScroll && m_functionScroll->widget()) {
        m_functionScroll->widget()->installEventFilter(this);
        fitFunctionScroll();
    }
}

void KeyboardPage::fitFunctionScroll() {
    QWidget* content = m_functionScroll ? m_functionScroll->widget() : nullptr;
    if (!content) return;
    const int wanted = content->sizeHint().height() + 2 * m_functionScroll->frameWidth();
    if (m_functionScroll->minimumHeight() != wanted) m_functionScroll->setMinimumHeight(wanted);
}

bool KeyboardPage::eventFilter(QObject* watched, QEvent* event) {
    // The content's layout changed (another tab, rows shown or hidden with the light mode, the key editor).
    if (event->type() == QEvent::LayoutRequest && m_functionScroll && watched == m_functionScroll->widget())
        fitFunctionScroll();
    return DevicePage::eventFilter(watched, event);
}

// ---- Showing the settings ----

void KeyboardPage::ShowSettings() {
    m_light.show();
    ShowKeyPictures();
    showFlags();
    showRepeat();
    showPolling();
    if (m_keyEditor) m_keyEditor->SetMacroNames(m_keyboard.macroNames());
}

// Each key's picture names the key and what it does now; a key that does something else than its own
// function carries the remapped mark.
void KeyboardPage::ShowKeyPictures() {
    const auto& keys = m_keyboard.keyList();
    const QString keySet = text("Key_Set");
    for (size_t j = 0; j < keys.size() && j < CMerivexKeyboardDevice::kKeyCount; ++j) {
        const std::optional<QString> assignment =
            keyboardAssignmentLabel(keys[j].current, m_keyboard.macroNames(), m_texts);
        DeviceKeyButton* picture = keyButton(static_cast<int>(j));
        if (!assignment || !picture) continue;
        const key_table::Code& code = CMerivexKeyboardDevice::kKeyCodes[j];
        const QString name = keyCodeName(code[0], code[1], code[2], m_texts);
        picture->setKeysetImageHidden(name.compare(*assignment, Qt::CaseInsensitive) == 0);
        picture->setToolTip(
            QStringLiteral("<b>%1</b><br>%2%3")
                .arg(name.toHtmlEscaped(), keySet.toHtmlEscaped(), assignment->toHtmlEscaped()));
    }
    showRepeatTexts();
}

void KeyboardPage::showFlags() {
    const KeyboardSystem& system = m_keyboard.settings().system;
    const std::array<uint16_t, kFlagCount> values{system.winFlag, system.wFlag, system.key6Flag};
    for (size_t i = 0; i < m_flags.size(); ++i) setCheckedQuietly(m_flags[i], values[i] != 0);
}

void KeyboardPage::showRepeat() {
    const KeyboardSystem& system = m_keyboard.settings().system;
    if (m_repeatRate) {
        const QSignalBlocker block(m_repeatRate);
        m_repeatRate->setValue(system.repeat);
    }
    int delay = system.repeatDelay;
    if (delay < 0 || delay >= kDelayChoices) delay = 0;
    setCheckedQuietly(m_delays[static_cast<size_t>(delay)], true);
    if (m_tryOut) m_tryOut->clear();
    showRepeatTexts();
}

void KeyboardPage::showRepeatTexts() {
    if (m_delayLabel) {
        m_delayLabel->setText(delayText(text("Repeat_Delay_Time"), m_keyboard.settings().system.repeatDelay));
    }
    if (m_tryOut) m_tryOut->setPlaceholderText(text("Repeat_input_text"));
}

void KeyboardPage::showPolling() {
    int index = m_keyboard.settings().system.pollingRate;
    if (index < 0 || index >= kPollingChoices) index = 0;
    setCheckedQuietly(m_polling[static_cast<size_t>(index)], true);
}

// ---- Changes ----

void KeyboardPage::change(const std::function<void(KeyboardSettings&)>& edit,
                          std::function<void(DeviceResult)> then) {
    m_keyboard.ChangeSettings(edit, track(std::move(then)));
}

void KeyboardPage::FlagChanged(int which, bool on) {
    if (which < 0 || which >= kFlagCount) return;
    const uint16_t value = on ? 1 : 0;
    change([which, value](KeyboardSettings& s) {
        if (which == 0) s.system.winFlag = value;
        if (which == 1) s.system.wFlag = value;
        if (which == 2) s.system.key6Flag = value;
    });
}

void KeyboardPage::RepeatRateChanged(int value) {
    const auto v = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
    change([v](KeyboardSettings& s) { s.system.repeat = v; });
}

void KeyboardPage::RepeatDelaySelected(int choice) {
    if (choice < 0 || choice >= kDelayChoices) return;
    change([choice](KeyboardSettings& s) { s.system.repeatDelay = static_cast<uint16_t>(choice); });
    showRepeatTexts();
}

void KeyboardPage::ResetKeyRepeat() {
    // The shipped default profile's rate and delay; the other system words stay as the user set them.
    CKeyboardProfiledata defaults;
    if (!defaults.UseDeviceRecord(ReadJsonFile(m_keyboard.DefaultDataFile()))) return;
    const KeyboardSystem shipped = defaults.GetKeyboardSystem();
    change([shipped](KeyboardSettings& s) {
        s.system.repeat = shipped.repeat;
        s.system.repeatDelay = shipped.repeatDelay;
    });
    showRepeat();
}

void KeyboardPage::PollingSelected(int choice) {
    if (choice < 0 || choice >= kPollingChoices) return;
    change([choice](KeyboardSettings& s) { s.system.pollingRate = static_cast<uint16_t>(choice); });
}

// ---- Key editor ----

void KeyboardPage::KeyPicked(int key) {
    if (key < 0 || static_cast<size_t>(key) >= m_keyboard.keyList().size()) return;
    m_pickedKey = key;
    m_keyboard.SetListTag(key);
    // The editor lives on the keys tab: show it wherever the click came from.
    if (auto* keysTab = findControl<QAbstractButton>(this, QStringLiteral("key_Op_tab")))
        keysTab->setChecked(true);
    ShowFunctionTab(1);
    BuildSectionOf(QStringLiteral("KeySetControlItem"));  // the tab is shown now; its editor must exist
    if (m_hint) m_hint->hide();
    if (!m_keyEditor) return;
    m_keyEditor->LoadEntry(m_keyboard.keyList()[static_cast<size_t>(key)]);
    const auto& codes = CMerivexKeyboardDevice::kKeyCodes;
    const auto index = static_cast<size_t>(key);
    m_keyEditor->SetEditedKey(
        index < codes.size() ? keyCodeNameId(codes[index][0], codes[index][1], codes[index][2]) : QString());
    m_keyEditor->show();
    markEditedKey(key);
}

// The editor closes, its key is no longer marked and the tab says again what to do there.
void KeyboardPage::closeKeyEditor() {
    if (m_keyEditor) m_keyEditor->hide();
    markEditedKey(-1);
    if (m_hint) m_hint->show();
}

void KeyboardPage::storeAssignment(const KeyListEntry& entry) {
    if (m_pickedKey < 0) return;
    m_keyboard.SetKeyAssignment(static_cast<size_t>(m_pickedKey), entry,
                                track([this](DeviceResult) { ShowKeyPictures(); }));
    ShowKeyPictures();
}

void KeyboardPage::KeyEditorButton(int which) {
    if (!m_keyEditor) return;
    switch (which) {
        case 0:
            if (const QString why = m_keyEditor->IncompleteTextId(); !why.isEmpty()) {
                // An assignment without its key, choice or count would leave the button doing nothing: it is
                // refused and the editor stays open to finish it.
                if (host()) (void)host()->showMessage(why);
                return;
            }
            storeAssignment(m_keyEditor->ReadAssignment());
            closeKeyEditor();
            return;
        case 1:
            // The default is the button's function from now on, stored and sent like any other choice.
            storeAssignment(m_keyEditor->RestoreDefault());
            closeKeyEditor();
            return;
        case 2:
            m_keyEditor->ShowCurrent();
            closeKeyEditor();
            return;
        case 3:
            m_keyboard.WriteKeysAndMacros(
                track([this](DeviceResult) { ShowKeyPictures(); }, QStringLiteral("message_text_7")));
            return;
        default:
            return;
    }
}

void KeyboardPage::KeyEditorChoice(int which) {
    if (!m_keyEditor) return;
    if (which == 0) m_keyEditor->OnFunctionSelected();
    if (which == 1) m_keyEditor->OnMacroOverSelected();
}

// ---- Custom colours ----

void KeyboardPage::SelectionEnded() {
    m_selected.clear();
    for (int j = 0; j < static_cast<int>(CMerivexKeyboardDevice::kKeyCount); ++j) {
        const DeviceKeyButton* picture = keyButton(j);
        if (picture && picture->isSelectedKey() && m_keyboard.keyPresent(static_cast<size_t>(j)))
            m_selected.push_back(j);
    }
    showSelection();
}

bool KeyboardPage::event(QEvent* event) {
    if (event->type() == LanguageTexts::AppliedEvent::type()) showSelection();
    return DevicePage::event(event);
}

void KeyboardPage::showSelection() {
    if (m_selectionLabel) {
        // Without language texts (a window made before any language is loaded) the id stands for the text
        // and has no place for the number.
        const QString format = text("custom_colour_selected_text");
        m_selectionLabel->setText(format.contains(QStringLiteral("%1")) ? format.arg(m_selected.size())
                                                                        : QString::number(m_selected.size()));
    }
    if (auto* apply = findControl<QAbstractButton>(this, QStringLiteral("custom_colour_keys_btn"))) {
        apply->setEnabled(!m_selected.empty());
    }
}

void KeyboardPage::SetCustomColour(uint32_t rgb) {
    m_colour = rgb & 0xFFFFFF;
    if (m_swatch) m_swatch->setStyleSheet(swatchStyle(m_colour));
}

void KeyboardPage::PickCustomColour() {
    if (!host()) return;
    if (const std::optional<uint32_t> colour = host()->pickColour(0xFF000000u | m_colour))
        SetCustomColour(*colour);
}

void KeyboardPage::ApplyCustomColour(int which) {
    if (which < 0 || which > 2) return;
    const QString failed = QStringLiteral("custom_colour_failed_text");
    if (which == 2) return m_keyboard.PaintKeysOff(track({}, failed));
    std::vector<int> keys;
    if (which == 0) {
        keys = m_selected;
    } else {
        for (int j = 0; j < static_cast<int>(CMerivexKeyboardDevice::kKeyCount); ++j) {
            if (m_keyboard.keyPresent(static_cast<size_t>(j))) keys.push_back(j);
        }
    }
    if (keys.empty()) return;
    const Rgb colour{static_cast<uint8_t>(m_colour >> 16), static_cast<uint8_t>(m_colour >> 8),
                     static_cast<uint8_t>(m_colour)};
    m_keyboard.PaintKeys(keys, colour, track({}, failed));
}

}  // namespace halvern::ui
