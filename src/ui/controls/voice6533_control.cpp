#include "ui/controls/voice6533_control.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

constexpr int kNameItemHeight = 30;

void checkQuietly(QAbstractButton* button, bool on) {
    if (!button) return;
    const QSignalBlocker block(button);
    button->setChecked(on);
}

void setQuietly(QAbstractSlider* slider, int value) {
    if (!slider) return;
    const QSignalBlocker block(slider);
    slider->setValue(std::clamp(value, slider->minimum(), slider->maximum()));
}

// A value label follows its slider while it moves; the program's own settings update it too.
void follow(QAbstractSlider* slider, QLabel* label) {
    if (!slider || !label) return;
    QObject::connect(slider, &QAbstractSlider::valueChanged, label,
                     [label](int value) { label->setText(QString::number(value)); });
}

}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(const LayoutLoader* loader, QWidget* parent) : QWidget(parent) {
    m_content = loadFilling(loader, kLayout, this);
    if (!m_content) return;
    for (int n = 1; n <= kEqChoices; ++n)
        m_choices[static_cast<size_t>(n - 1)] =
            findControl<QAbstractButton>(m_content, QStringLiteral("6533_eq_option_"), n);
    for (int i = 0; i < kBands; ++i) {
        const auto at = static_cast<size_t>(i);
        m_bands[at] = findControl<QAbstractSlider>(m_content, QStringLiteral("6533_eq_hz_slider_"), i);
        m_bandValues[at] = findControl<QLabel>(m_content, QStringLiteral("eq_band_value_"), i);
        follow(m_bands[at], m_bandValues[at]);
    }
    m_names = findControl<QComboBox>(m_content, QStringLiteral("custom_eq_name_combo"));
    m_newName = findControl<QLineEdit>(m_content, QStringLiteral("custom_eq_name_edit"));
    m_micOption = findControl<QAbstractButton>(m_content, QStringLiteral("6533_MicIn_option"));
    m_micLevel = findControl<QAbstractSlider>(m_content, QStringLiteral("6533_MicIn_slider"));
    m_micValue = findControl<QLabel>(m_content, QStringLiteral("6533_MicIn_value"));
    m_monitorOption = findControl<QAbstractButton>(m_content, QStringLiteral("6533_MicMoniter_option"));
    m_monitorLevel = findControl<QAbstractSlider>(m_content, QStringLiteral("6533_MicMoniter_slider"));
    m_monitorValue = findControl<QLabel>(m_content, QStringLiteral("6533_MicMoniter_value"));
    m_noiseOption = findControl<QAbstractButton>(m_content, QStringLiteral("6533_noise_option"));
    m_surroundOption = findControl<QAbstractButton>(m_content, QStringLiteral("6533_surround_option"));
    follow(m_micLevel, m_micValue);
    follow(m_monitorLevel, m_monitorValue);
}

CVoice6533ControlUI::~CVoice6533ControlUI() = default;

QWidget* CVoice6533ControlUI::part(const QString& name) const {
    return findControl(m_content, name);
}

void CVoice6533ControlUI::SetEqType(int type) {
    if (type < 0 || type > kEqChoices) type = 0;
    // The choices are exclusive while one is checked; clearing all needs the exclusivity off for a moment.
    for (int n = 1; n <= kEqChoices; ++n) {
        QAbstractButton* choice = m_choices[static_cast<size_t>(n - 1)];
        if (!choice) continue;
        choice->setAutoExclusive(false);
        checkQuietly(choice, n == type);
        choice->setAutoExclusive(true);
    }
}

int CVoice6533ControlUI::GetEqType() const {
    for (int n = 1; n <= kEqChoices; ++n) {
        const QAbstractButton* choice = m_choices[static_cast<size_t>(n - 1)];
        if (choice && choice->isChecked()) return n;
    }
    return 0;
}

void CVoice6533ControlUI::SetBands(std::span<const int32_t> bands) {
    for (size_t i = 0; i < m_bands.size() && i < bands.size(); ++i) {
        setQuietly(m_bands[i], bands[i]);
        if (m_bands[i] && m_bandValues[i]) m_bandValues[i]->setText(QString::number(m_bands[i]->value()));
    }
}

int CVoice6533ControlUI::GetBand(int band) const {
    if (band < 0 || band >= kBands || !m_bands[static_cast<size_t>(band)]) return -1;
    return m_bands[static_cast<size_t>(band)]->value();
}

void CVoice6533ControlUI::SetCustomEqNames(const std::vector<std::string>& names, int chosen) {
    if (!m_names) return;
    const QSignalBlocker block(m_names);
    m_names->clear();
    for (const std::string& name : names) {
        m_names->addItem(QString::fromStdString(name));
        m_names->setItemData(m_names->count() - 1, QSize(0, kNameItemHeight), Qt::SizeHintRole);
    }
    m_names->setCurrentIndex(chosen >= 0 && chosen < m_names->count() ? chosen : -1);
}

int CVoice6533ControlUI::GetChosenCustomEq() const {
    return m_names ? m_names->currentIndex() : -1;
}

QString CVoice6533ControlUI::GetNewName() const {
    return m_newName ? m_newName->text() : QString();
}

void CVoice6533ControlUI::ClearNewName() {
    if (m_newName) m_newName->clear();
}

void CVoice6533ControlUI::showLevel(QAbstractSlider* slider, QLabel* label, bool on, int level,
                                    QAbstractButton* option) {
    checkQuietly(option, on);
    setQuietly(slider, level);
    if (slider && label) label->setText(QString::number(slider->value()));
}

void CVoice6533ControlUI::SetMicrophone(bool on, int level) {
    showLevel(m_micLevel, m_micValue, on, level, m_micOption);
}

void CVoice6533ControlUI::SetMonitor(bool on, int level) {
    showLevel(m_monitorLevel, m_monitorValue, on, level, m_monitorOption);
}

void CVoice6533ControlUI::SetSoundSwitches(bool noiseSuppression, bool surround) {
    for (const auto& [option, on] :
         {std::pair{m_noiseOption, noiseSuppression}, std::pair{m_surroundOption, surround}}) {
        if (!option) continue;
        const QSignalBlocker quiet(option);
        option->setChecked(on);
    }
}

}  // namespace halvern::ui
