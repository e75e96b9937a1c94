#include "ui/windows/music_window.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "device/debug_sink.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/windows/window_dpi.h"
#include "ui/windows/window_drag.h"

namespace halvern::ui {
namespace {

constexpr std::array<const char*, 3> kSliderNames{"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr std::array<const char*, 3> kValueNames{"audio_r_value", "audio_g_value", "audio_b_value"};
constexpr int kHighestStep = 9;

QString numbered(const char* prefix, std::size_t n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

}  // namespace

MusicWnd::MusicWnd(const LayoutLoader& loader, const LanguageTexts& texts, AudioStyleSet set, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint), m_texts(texts), m_set(std::move(set)) {
    setObjectName(QStringLiteral("MusicWnd"));
    setAttribute(Qt::WA_TranslucentBackground);  // the layout's rounded corners show what lies behind
    resize(kSize);
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* content = loader.load(QStringLiteral("music.ui"), this);
    if (content) {
        layout->addWidget(content);
        texts.apply(content);
        setWindowTitle(content->windowTitle());
        for (std::size_t s = 0; s < AudioStyleSet::kStyles; ++s) {
            m_options[s] = findControl<QAbstractButton>(content, numbered("audio_select_tab", s + 1));
            m_names[s] = findControl<QLineEdit>(content, numbered("audio_edit_name", s + 1));
        }
        for (std::size_t c = 0; c < m_sliders.size(); ++c) {
            m_sliders[c] = findControl<QSlider>(content, QString::fromLatin1(kSliderNames[c]));
            m_values[c] = findControl<QLabel>(content, QString::fromLatin1(kValueNames[c]));
        }
        m_max = findControl<QAbstractButton>(content, QStringLiteral("maxbtn"));
        m_restore = findControl<QAbstractButton>(content, QStringLiteral("restorebtn"));
        if (auto* ok = findControl<QAbstractButton>(content, QStringLiteral("okbtn")))
            connect(ok, &QAbstractButton::clicked, this, [this] { done(1); });
        if (auto* close = findControl<QAbstractButton>(content, QStringLiteral("closebtn")))
            connect(close, &QAbstractButton::clicked, this, [this] { done(0); });
        if (QWidget* titleBar = findControl(content, QStringLiteral("title_bar"))) new WindowDrag(titleBar);
    }
    const auto missing = [](const auto& controls) {
        return std::any_of(controls.begin(), controls.end(), [](const auto& c) { return c.isNull(); });
    };
    if (missing(m_options) || missing(m_sliders)) debugLog("GetAudioLightInfo control is NULL");
    if (m_max) connect(m_max, &QAbstractButton::clicked, this, &QWidget::showMaximized);
    if (m_restore) connect(m_restore, &QAbstractButton::clicked, this, &QWidget::showNormal);

    for (std::size_t c = 0; c < m_sliders.size(); ++c) {
        if (!m_sliders[c]) continue;
        m_sliders[c]->setRange(0, kHighestStep);
        connect(m_sliders[c], &QSlider::valueChanged, this, [this, c](int v) { sliderMoved(c, v); });
    }
    for (std::size_t s = 0; s < AudioStyleSet::kStyles; ++s) {
        if (m_options[s]) {
            m_options[s]->setCheckable(true);
            m_options[s]->setAutoExclusive(true);
            m_options[s]->setChecked(s == m_set.currentStyle);
            connect(m_options[s], &QAbstractButton::toggled, this, [this, s](bool on) {
                if (on) selectStyle(s);
            });
        }
        if (m_names[s]) {
            m_names[s]->setText(shownName(s));
            connect(m_names[s], &QLineEdit::editingFinished, this, [this, s] { nameLeft(s); });
        }
    }
    // A current style beyond the four selects no option and leaves the sliders as they are.
    if (m_set.currentStyle < AudioStyleSet::kStyles) showStyle();
    showMaximisedState();
}

MusicWnd::~MusicWnd() = default;

void MusicWnd::setDpi(int dpi) {
    m_dpi = AcceptedDpi(dpi, "SET_WND DPI SET ERROR");
}

void MusicWnd::selectStyle(std::size_t style) {
    m_set.currentStyle = static_cast<uint8_t>(style);
    showStyle();
}

void MusicWnd::showStyle() {
    const std::size_t at = std::size_t{3} * m_set.currentStyle;
    for (std::size_t c = 0; c < m_sliders.size(); ++c) {
        const int step = m_set.colours[at + c];
        if (m_sliders[c]) {
            const QSignalBlocker quiet(m_sliders[c]);
            m_sliders[c]->setValue(step);
        }
        if (m_values[c]) m_values[c]->setText(QString::number(step));
    }
}

std::size_t MusicWnd::checkedStyle() const {
    for (std::size_t s = 0; s < AudioStyleSet::kStyles; ++s)
        if (m_options[s] && m_options[s]->isChecked()) return s;
    return 0;
}

void MusicWnd::sliderMoved(std::size_t channel, int value) {
    const int step = std::clamp(value, 0, kHighestStep);
    m_set.colours[3 * checkedStyle() + channel] = static_cast<uint8_t>(step);
    if (m_values[channel]) m_values[channel]->setText(QString::number(step));
}

QString MusicWnd::defaultName(std::size_t style) const {
    return m_texts.text(QString::fromStdString(DefaultStyleNameId(style)));
}

QString MusicWnd::shownName(std::size_t style) const {
    const std::string& name = m_set.names[style];
    return IsDefaultStyleName(style, name) ? defaultName(style) : QString::fromStdString(name);
}

void MusicWnd::nameLeft(std::size_t style) {
    QLineEdit* edit = m_names[style];
    if (!edit) return;
    const QString typed = edit->text().trimmed();
    if (typed.isEmpty() || typed == defaultName(style)) {
        m_set.names[style] = kDefaultStyleNames[style];
        edit->setText(defaultName(style));
        return;
    }
    m_set.names[style] = edit->text().toStdString();
}

void MusicWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) showMaximisedState();
    QDialog::changeEvent(event);
}

void MusicWnd::showMaximisedState() {
    const bool maximised = isMaximized();
    if (m_max) m_max->setVisible(!maximised);
    if (m_restore) m_restore->setVisible(maximised);
}

}  // namespace halvern::ui
