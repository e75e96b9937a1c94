#include "ui/controls/light_control.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <algorithm>
#include <functional>

#include "device/debug_sink.h"
#include "lighting/light_mode_layout.h"
#include "ui/controls/colour_palette.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

constexpr int kTextIdRole = Qt::UserRole + 1;
constexpr int kModeItemHeight = 30;
constexpr int kCustomGroups = 5;  // the keyboard keeps five custom colour groups
constexpr std::array<const char*, 4> kGameColourIds{"light_game_colour_0_text", "light_game_colour_1_text",
                                                    "light_game_colour_2_text", "light_game_colour_3_text"};
constexpr std::array<const char*, 4> kAudioModeIds{"light_audio_mode_0_text", "light_audio_mode_1_text",
                                                   "light_audio_mode_2_text", "light_audio_mode_3_text"};
constexpr const char* kAudioMissing = " SetAudioLightInfo control is NULL";
constexpr const char* kAudioMissingGet = "GetAudioLightInfo control is NULL";

uint32_t opaque(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

uint8_t channelOf(const QLineEdit* edit) {
    if (!edit) return 0;
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    return ok ? static_cast<uint8_t>(std::clamp(v, 0, 255)) : 0;
}

void applyState(QWidget* w, ControlState state) {
    if (w && state != ControlState::Unchanged) w->setEnabled(state == ControlState::Enabled);
}

void showIf(QWidget* w, bool visible) {
    if (w) w->setVisible(visible);
}

// The button shows the colour as its background; the colour is kept in a property to be read back exactly.
void showButtonColour(QAbstractButton* button, uint32_t argb) {
    if (!button) return;
    button->setProperty("buttonColour", QVariant::fromValue(argb | 0xFF000000u));
    button->setStyleSheet(
        QStringLiteral("background-color: #%1;").arg(argb & 0xFFFFFF, 6, 16, QLatin1Char('0')));
}

void checkQuietly(QAbstractButton* button, bool on) {
    if (!button) return;
    const QSignalBlocker block(button);
    button->setChecked(on);
}

void setTextQuietly(QLineEdit* edit, uint8_t value) {
    if (edit) edit->setText(QString::number(value));
}

// A combo box's current entry without an "itemselect".
void selectQuietly(QComboBox* combo, int index) {
    if (!combo || index < 0 || index >= combo->count()) return;
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
}

}  // namespace

CLightControlUI::CLightControlUI(const LayoutLoader* loader, QWidget* parent) : QWidget(parent) {
    QWidget* content = loadFilling(loader, kLayout, this);
    if (!content) return;
    bindControls(content);
    fillFixedLists();
    // Swatches show their colour as their background.
    for (const char* prefix : {kSwatchPrefix, kAudioSwatchPrefix}) {
        for (int n = 0;; ++n) {
            auto* swatch = findControl<QAbstractButton>(m_content, QString::fromLatin1(prefix), n);
            if (!swatch) break;
            const QColor colour(swatch->property("swatchColour").toString());
            if (colour.isValid()) showButtonColour(swatch, colour.rgb());
        }
    }
    SetAllowSameMode(false);
    ApplyModeLayout(0, 0);
}

CLightControlUI::~CLightControlUI() = default;

void CLightControlUI::bindControls(QWidget* content) {
    m_content = content;
    auto find = [content]<typename T = QWidget>(const char* name) {
        return findControl<T>(content, QString::fromLatin1(name));
    };
    m_modes = find.operator()<QComboBox>("light_combo_modeSelect");
    m_customGroups = find.operator()<QComboBox>("light_combo_custommodeSelect");
    m_gameColours = find.operator()<QComboBox>("light_combo_ZZCCmodeSelect");
    m_audioModes = find.operator()<QComboBox>("light_combo_audiomodeSelect");
    m_brightness = find.operator()<QAbstractSlider>("deng_light_slider");
    m_speed = find.operator()<QAbstractSlider>("deng_speed_slider");
    const std::array<const char*, 3> edits{"deng_edit_R", "deng_edit_G", "deng_edit_B"};
    const std::array<const char*, 3> audioEdits{"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
    for (size_t i = 0; i < 3; ++i) {
        m_edits[i] = find.operator()<QLineEdit>(edits[i]);
        m_audioEdits[i] = find.operator()<QLineEdit>(audioEdits[i]);
    }
    m_palette = find.operator()<ColourPalette>("deng_Color_Pallet");
    m_audioPalette = find.operator()<ColourPalette>("deng_audioColor_Pallet");
    m_colourButton = find.operator()<QAbstractButton>("deng_colordp_btn");
    m_audioColourButton = find.operator()<QAbstractButton>("deng_audiocolordp_btn");
    m_multicolour = find.operator()<QAbstractButton>("deng_7color_check");
    m_audioSevenColour = find.operator()<QAbstractButton>("deng_7audiocolor_check");
    m_left = find.operator()<QAbstractButton>("deng_FXL_check");
    m_right = find.operator()<QAbstractButton>("deng_FXR_check");
    m_same = find.operator()<QAbstractButton>("deng_same_mode");
    m_audioBackground = find.operator()<QAbstractButton>("audio_BkColor_check");
    m_audioForeground = find.operator()<QAbstractButton>("audio_FgColor_check");
    m_colourPages = find.operator()<QStackedWidget>("light_color_tablayout");
    if (m_colourPages) {
        // The colour page shown asks for its own height only, not for the taller sound-colour page's.
        const auto fit = [pages = m_colourPages](int current) {
            for (int i = 0; i < pages->count(); ++i) {
                const auto policy = i == current ? QSizePolicy::Preferred : QSizePolicy::Ignored;
                pages->widget(i)->setSizePolicy(policy, policy);
            }
        };
        connect(m_colourPages, &QStackedWidget::currentChanged, this, fit);
        fit(m_colourPages->currentIndex());
    }
    addSoundServerNote(find("music_colour_layout"));
}

// Below the music modes' colour row: why the lights do not follow the music, while that is so.
void CLightControlUI::addSoundServerNote(QWidget* musicRow) {
    if (!musicRow || !musicRow->parentWidget()) return;
    // The box layout that holds the row, however deep inside its parent's layout it is nested.
    const std::function<QBoxLayout*(QLayout*)> holder = [&](QLayout* layout) -> QBoxLayout* {
        if (!layout) return nullptr;
        if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(musicRow) >= 0) return box;
        for (int i = 0; i < layout->count(); ++i) {
            if (QBoxLayout* found = holder(layout->itemAt(i)->layout())) return found;
        }
        return nullptr;
    };
    QBoxLayout* column = holder(musicRow->parentWidget()->layout());
    if (!column) return;
    auto* note = new QLabel(musicRow->parentWidget());  // owned by its parent widget
    note->setObjectName(QStringLiteral("music_no_sound_server_note"));
    note->setProperty("textId", QStringLiteral("music_no_sound_server_text"));
    note->setProperty("role", QStringLiteral("muted"));
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    note->hide();
    column->insertWidget(column->indexOf(musicRow) + 1, note);
    m_soundServerNote = note;
}

void CLightControlUI::SetSoundServerMissing(bool missing) {
    m_soundServerMissing = missing;
    showIf(m_soundServerNote, m_soundServerMissing && m_soundColourShown);
}

void CLightControlUI::fillFixedLists() {
    auto fill = [](QComboBox* combo, auto&& ids) {
        if (!combo) return;
        const QSignalBlocker block(combo);
        combo->clear();
        for (const char* id : ids) combo->addItem(QString::fromLatin1(id), QString::fromLatin1(id));
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemData(i, QString::fromLatin1(ids[size_t(i)]), kTextIdRole);
    };
    fill(m_gameColours, kGameColourIds);
    fill(m_audioModes, kAudioModeIds);
    if (m_customGroups) {
        const QSignalBlocker block(m_customGroups);
        m_customGroups->clear();
        for (int g = 0; g < kCustomGroups; ++g) m_customGroups->addItem(QString::number(g + 1));
    }
}

QString CLightControlUI::textOf(const QString& id) const {
    return m_texts ? m_texts->text(id) : id;
}

void CLightControlUI::SetTexts(const LanguageTexts* texts) {
    m_texts = texts;
    if (!m_content) return;
    if (m_texts) m_texts->apply(m_content);
    retranslateLists();
}

bool CLightControlUI::event(QEvent* event) {
    if (event->type() == LanguageTexts::AppliedEvent::type()) {
        retranslateLists();
        return true;
    }
    return QWidget::event(event);
}

void CLightControlUI::retranslateLists() {
    for (QComboBox* combo : {m_modes.data(), m_gameColours.data(), m_audioModes.data()}) {
        if (!combo) continue;
        for (int i = 0; i < combo->count(); ++i) {
            const QVariant id = combo->itemData(i, kTextIdRole);
            if (id.isValid()) combo->setItemText(i, textOf(id.toString()));
        }
    }
    for (QAbstractButton* box : {m_left.data(), m_right.data()}) {
        if (box) box->setText(textOf(box->property("textId").toString()));
    }
}

void CLightControlUI::SetAllowSameMode(bool allow) {
    m_allowSameMode = allow;
    showIf(m_same, m_allowSameMode && m_sameOffered);
}

void CLightControlUI::SetModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                                  const std::vector<int>& values, int brightnessMax, int speedMax) {
    m_modeNames = names;
    m_modeValues = values;
    m_modeValues.resize(names.size(), -1);
    if (m_modes) {
        const QSignalBlocker block(m_modes);
        m_modes->clear();
        auto* view = qobject_cast<QListView*>(m_modes->view());
        for (size_t i = 0; i < names.size(); ++i) {
            const QString id = QString::fromStdString(names[i]);
            m_modes->addItem(textOf(id), id);
            m_modes->setItemData(static_cast<int>(i), id, kTextIdRole);
            m_modes->setItemData(static_cast<int>(i), QSize(0, kModeItemHeight), Qt::SizeHintRole);
            const bool shown = i < visible.size() && visible[i];
            if (view) view->setRowHidden(static_cast<int>(i), !shown);
            // A hidden row is also disabled: the closed list's keys (Home, Up, Down) and the wheel skip
            // disabled rows only, so it can never be chosen.
            if (auto* model = qobject_cast<QStandardItemModel*>(m_modes->model())) {
                if (QStandardItem* item = model->item(static_cast<int>(i))) item->setEnabled(shown);
            }
        }
    }
    for (auto [slider, maximum] :
         {std::pair{m_brightness.data(), brightnessMax}, std::pair{m_speed.data(), speedMax}}) {
        if (!slider) continue;
        const QSignalBlocker block(slider);
        slider->setMaximum(std::max(maximum, 0));
    }
}

int CLightControlUI::modeValue(int index) const {
    if (index < 0 || index >= static_cast<int>(m_modeValues.size())) return -1;
    return m_modeValues[static_cast<size_t>(index)];
}

void CLightControlUI::ShowLightSettings(const LightSetting& light) {
    SetModeIndex(light.mode);
    SetBrightness(light.brightness);
    SetSpeed(light.speed);
    SetColour(light.red, light.green, light.blue);
    SetMulticolour(light.multiColor != 0);
    SetDirection(light.direction);
    SetAudioLightMode(light.audioLightMode);
    SetCustomGroup(light.customGroup);
}

int CLightControlUI::GetModeIndex() const {
    return m_modes ? m_modes->currentIndex() : -1;
}

void CLightControlUI::SetModeIndex(int index) {
    selectQuietly(m_modes, index);
    ApplyModeLayout(m_typeCode, modeValue(index));
}

int CLightControlUI::GetBrightness() const {
    return m_brightness ? m_brightness->value() : 0;
}

void CLightControlUI::SetBrightness(int value) {
    if (!m_brightness) return;
    const QSignalBlocker block(m_brightness);
    m_brightness->setValue(value);
}

int CLightControlUI::GetSpeed() const {
    return m_speed ? m_speed->value() : 0;
}

void CLightControlUI::SetSpeed(int value) {
    if (!m_speed) return;
    const QSignalBlocker block(m_speed);
    m_speed->setValue(value);
}

int CLightControlUI::GetCustomGroup() const {
    return m_customGroups ? m_customGroups->currentIndex() : 0;
}

void CLightControlUI::SetCustomGroup(int index) {
    selectQuietly(m_customGroups, index);
}

int CLightControlUI::GetAudioLightMode() const {
    return m_gameColours ? m_gameColours->currentIndex() : 0;
}

void CLightControlUI::SetAudioLightMode(int index) {
    selectQuietly(m_gameColours, index);
}

std::array<uint8_t, 3> CLightControlUI::GetColour() const {
    return {channelOf(m_edits[0]), channelOf(m_edits[1]), channelOf(m_edits[2])};
}

void CLightControlUI::SetColour(uint8_t red, uint8_t green, uint8_t blue) {
    setTextQuietly(m_edits[0], red);
    setTextQuietly(m_edits[1], green);
    setTextQuietly(m_edits[2], blue);
    if (m_palette) m_palette->setSelectedColour(opaque(red, green, blue));
    showButtonColour(m_colourButton, opaque(red, green, blue));
}

bool CLightControlUI::GetMulticolour() const {
    return m_multicolour && m_multicolour->isChecked();
}

void CLightControlUI::SetMulticolour(bool on) {
    checkQuietly(m_multicolour, on);
}

int CLightControlUI::GetDirection() const {
    return m_left && m_left->isChecked() ? 1 : 0;
}

void CLightControlUI::SetDirection(int direction) {
    checkQuietly(m_left, direction != 0);
    checkQuietly(m_right, direction == 0);
}

void CLightControlUI::DirectionPicked(int which) {
    SetDirection(which == 0 ? 1 : 0);
}

uint32_t CLightControlUI::swatchColour(const char* prefix, int n) const {
    const auto* swatch = findControl<QAbstractButton>(m_content, QString::fromLatin1(prefix), n);
    return swatch ? swatch->property("buttonColour").toUInt() : 0;
}

uint32_t CLightControlUI::GetPresetColour(int n) const {
    return swatchColour(kSwatchPrefix, n);
}

uint32_t CLightControlUI::GetAudioPresetColour(int n) const {
    return swatchColour(kAudioSwatchPrefix, n);
}

uint32_t CLightControlUI::GetPaletteColour() const {
    return m_palette ? m_palette->selectedColour() : 0;
}

uint32_t CLightControlUI::GetAudioPaletteColour() const {
    return m_audioPalette ? m_audioPalette->selectedColour() : 0;
}

uint32_t CLightControlUI::GetButtonColour() const {
    return m_colourButton ? m_colourButton->property("buttonColour").toUInt() : 0;
}

void CLightControlUI::ApplyModeLayout(int typeCode, int value) {
    if (!m_content) return;
    const LightModeLayoutPlan plan = LightModeLayout(typeCode, value);
    auto find = [this](const char* name) { return findControl(m_content, QString::fromLatin1(name)); };

    applyState(find("lighteffect_layout"), plan.effectList);
    applyState(m_multicolour, plan.area(LightArea::Multicolour));
    applyState(find("deng_color_layout"), plan.area(LightArea::Colour));
    applyState(find("colorpallet_layout"), plan.area(LightArea::Palette));
    applyState(find("deng_light_layout"), plan.area(LightArea::Brightness));
    applyState(find("deng_speed_layout"), plan.area(LightArea::Speed));
    applyState(find("deng_fx_layout"), plan.area(LightArea::Direction));
    showIf(find("deng_speed_layout"), !plan.speedHidden);
    showIf(find("lightcustom_layout"), plan.customGroupShown);
    showIf(find("light_combo_ZZCCmodeSelectLayout"), plan.gameColourListShown);
    showIf(find("light_combo_AudiomodeSelectLayout"), plan.audioModeListShown);
    showIf(find("music_colour_layout"), plan.soundColourShown);
    m_soundColourShown = plan.soundColourShown;
    showIf(m_soundServerNote, m_soundServerMissing && m_soundColourShown);
    if (QWidget* colourArea = find("light_color_layout")) colourArea->setEnabled(plan.colourAreaEnabled);
    if (m_colourPages) m_colourPages->setCurrentIndex(plan.colourPage);
    m_sameOffered = plan.sameModeOffered;
    showIf(m_same, m_allowSameMode && m_sameOffered);
    const auto direction = [this](QAbstractButton* box, std::string_view id) {
        if (!box) return;
        const QString textId = QString::fromLatin1(id.data(), static_cast<qsizetype>(id.size()));
        box->setProperty("textId", textId);
        box->setText(textOf(textId));
    };
    direction(m_left, plan.direction.first);
    direction(m_right, plan.direction.second);
}

bool CLightControlUI::SetAudioLightInfo(const AudioLightInfo& info) {
    if (!m_audioModes || !m_audioBackground || !m_audioForeground || !m_audioSevenColour || !m_audioPalette ||
        !m_audioColourButton || !m_audioEdits[0] || !m_audioEdits[1] || !m_audioEdits[2]) {
        debugLog(kAudioMissing);
        return false;
    }
    m_audio = info;
    selectQuietly(m_audioModes, info.audioMode);
    const bool foreground = info.colorTypeFlag != 0;
    checkQuietly(m_audioForeground, foreground);
    checkQuietly(m_audioBackground, !foreground);
    if (foreground) {
        checkQuietly(m_audioSevenColour, info.sevenColorFlag != 0);
        SetAudioColour(info.fgColorR, info.fgColorG, info.fgColorB);
    } else {
        SetAudioColour(info.bkColorR, info.bkColorG, info.bkColorB);
    }
    const bool on = info.audioMode != 0;
    for (const char* name : {"light_audiocolor_layout", "audiocolorpallet_layout"}) {
        if (QWidget* area = findControl(m_content, QString::fromLatin1(name))) area->setEnabled(on);
    }
    return true;
}

std::optional<AudioLightInfo> CLightControlUI::GetAudioLightInfo(bool takeButtonColour) const {
    if (!m_audioModes || !m_audioBackground || !m_audioSevenColour || !m_audioColourButton) {
        debugLog(kAudioMissingGet);
        return std::nullopt;
    }
    AudioLightInfo info = m_audio;
    info.audioMode = static_cast<uint8_t>(std::max(m_audioModes->currentIndex(), 0));
    info.sevenColorFlag = m_audioSevenColour->isChecked() ? 1 : 0;
    info.colorTypeFlag = m_audioBackground->isChecked() ? 0 : 1;
    if (takeButtonColour) {
        const uint32_t c = m_audioColourButton->property("buttonColour").toUInt();
        const auto r = static_cast<uint8_t>(c >> 16), g = static_cast<uint8_t>(c >> 8),
                   b = static_cast<uint8_t>(c);
        if (info.colorTypeFlag != 0) {
            info.fgColorR = r, info.fgColorG = g, info.fgColorB = b;
        } else {
            info.bkColorR = r, info.bkColorG = g, info.bkColorB = b;
        }
    }
    return info;
}

std::array<uint8_t, 3> CLightControlUI::GetAudioColour() const {
    return {channelOf(m_audioEdits[0]), channelOf(m_audioEdits[1]), channelOf(m_audioEdits[2])};
}

void CLightControlUI::SetAudioColour(uint8_t red, uint8_t green, uint8_t blue) {
    setTextQuietly(m_audioEdits[0], red);
    setTextQuietly(m_audioEdits[1], green);
    setTextQuietly(m_audioEdits[2], blue);
    if (m_audioPalette) m_audioPalette->setSelectedColour(opaque(red, green, blue));
    showButtonColour(m_audioColourButton, opaque(red, green, blue));
}

void CLightControlUI::AudioColourKindPicked(int foreground) {
    checkQuietly(m_audioForeground, foreground != 0);
    checkQuietly(m_audioBackground, foreground == 0);
}

}  // namespace halvern::ui
