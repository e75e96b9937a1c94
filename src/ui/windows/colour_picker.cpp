#include "ui/windows/colour_picker.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "device/debug_sink.h"
#include "ui/controls/colour_palette.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/toolkit/name_split.h"
#include "ui/toolkit/notify_hub.h"
#include "ui/windows/window_dpi.h"
#include "ui/windows/window_drag.h"

namespace halvern::ui {
namespace {

constexpr std::array<const char*, 3> kEditNames{"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr std::array<int, 3> kEditShifts{16, 8, 0};

// The seven-colour preview: the seven hues the devices cycle through, left to right.
constexpr char kSevenColourBackground[] =
    "qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #FF0000, stop:0.17 #FF8000, stop:0.33 #FFFF00, "
    "stop:0.5 #00FF00, stop:0.67 #00FFFF, stop:0.83 #0000FF, stop:1 #8000FF)";

QString hexRgb(uint32_t argb) {
    return QColor::fromRgb(argb).name(QColor::HexRgb);
}

uint32_t opaque(uint32_t red, uint32_t green, uint32_t blue) {
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

}  // namespace

struct CColorSelectWnd::Route {
    const char* name;  // the control's name, or the prefix of indexed controls ("color_option_")
    bool indexed;
    const char* type;
    void (CColorSelectWnd::*handler)(int);  // gets the index of an indexed control, else the wParam
};

const std::array<CColorSelectWnd::Route, 14> CColorSelectWnd::kRoutes{{
    {"color_option_", true, "click", &CColorSelectWnd::onPresetClicked},
    {"collect_color_option_", true, "click", &CColorSelectWnd::onCollectedClicked},
    {"Pallet", false, "colorchanged", &CColorSelectWnd::onPaletteChanged},
    {"color_edit_r", false, "textchanged", &CColorSelectWnd::onEditChanged},
    {"color_edit_g", false, "textchanged", &CColorSelectWnd::onEditChanged},
    {"color_edit_b", false, "textchanged", &CColorSelectWnd::onEditChanged},
    {"7color", false, "selectchanged", &CColorSelectWnd::onSevenColourChanged},
    {"7color_collect", false, "selectchanged", &CColorSelectWnd::onSevenColourChanged},
    {"okbtn", false, "click", &CColorSelectWnd::onOk},
    {"closebtn", false, "click", &CColorSelectWnd::onClose},
    {"laterbtn", false, "click", &CColorSelectWnd::onClose},
    {"minbtn", false, "click", &CColorSelectWnd::onMinimise},
    {"maxbtn", false, "click", &CColorSelectWnd::onMaximise},
    {"restorebtn", false, "click", &CColorSelectWnd::onRestore},
}};

CColorSelectWnd::CColorSelectWnd(const LayoutLoader& loader, const LanguageTexts& texts,
                                 ColorOptionFile options, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_file(std::move(options)) {
    setObjectName(QStringLiteral("ColorSelectWnd"));
    setAttribute(Qt::WA_TranslucentBackground);
    resize(kSize);
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    m_hub = new NotifyHub(this);
    m_content = loader.load(QStringLiteral("colour_picker.ui"), this);
    if (m_content) {
        layout->addWidget(m_content);
        texts.apply(m_content);
        setWindowTitle(m_content->windowTitle());
        findControls();
        if (QWidget* titleBar = findControl(m_content, QStringLiteral("title_bar"))) new WindowDrag(titleBar);
        m_hub->attachTree(m_content);
    }
    connect(m_hub, &NotifyHub::notified, this, &CColorSelectWnd::route);
    if (m_palette) {
        // While the user drags, the preview and the edits follow; the release collects the colour.
        connect(m_palette, &ColourPalette::colourTracked, this, [this](quint32 argb) {
            m_colour = argb;
            showPreview(argb);
            showInEdits(argb);
        });
    }
    showStoredOptions();
    showMaximisedState();
}

void CColorSelectWnd::findControls() {
    m_palette = findControl<ColourPalette>(m_content, QStringLiteral("Pallet"));
    m_previewButton = findControl<QAbstractButton>(m_content, QStringLiteral("color_show_btn"));
    for (size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i] = findControl<QLineEdit>(m_content, QLatin1String(kEditNames[i]));
        if (!m_edits[i]) continue;
        m_edits[i]->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), m_edits[i]));
    }
    for (int i = 0; i < kSwatches; ++i) {
        m_presets[static_cast<size_t>(i)] =
            findControl<QAbstractButton>(m_content, QStringLiteral("color_option_"), i);
        m_collected[static_cast<size_t>(i)] =
            findControl<QAbstractButton>(m_content, QStringLiteral("collect_color_option_"), i);
    }
    // Each row of swatches is a set of option boxes: one of them is selected.
    for (const auto* row : {&m_presets, &m_collected}) {
        for (QAbstractButton* swatch : *row) {
            if (!swatch) continue;
            swatch->setCheckable(true);
            swatch->setAutoExclusive(true);
        }
    }
    m_sevenColourOption = findControl<QAbstractButton>(m_content, QStringLiteral("7color"));
    m_sevenColourCollect = findControl<QAbstractButton>(m_content, QStringLiteral("7color_collect"));
    m_sevenColourLayout = findControl(m_content, QStringLiteral("7color_layout"));
    m_max = findControl<QAbstractButton>(m_content, QStringLiteral("maxbtn"));
    m_restore = findControl<QAbstractButton>(m_content, QStringLiteral("restorebtn"));
}

void CColorSelectWnd::showStoredOptions() {
    m_options = m_file.Load();
    for (int i = 0; i < kSwatches; ++i) {
        const auto at = static_cast<size_t>(i);
        paintSwatch(m_presets[at], m_options.presets[at], true);
        paintSwatch(m_collected[at], m_options.collected[at], m_options.collectedUsed[at]);
    }
    // Load() keeps both selections inside 0..19.
    if (auto& preset = m_presets[static_cast<size_t>(m_options.presetSelected)]) preset->setChecked(true);
    if (auto& slot = m_collected[static_cast<size_t>(m_options.collectedSelected)]) slot->setChecked(true);
    SetColour(m_options.presets[static_cast<size_t>(m_options.presetSelected)]);
    SetSevenColour(m_sevenColour);
}

CColorSelectWnd::~CColorSelectWnd() = default;

void CColorSelectWnd::route(const Notification& notification) {
    for (const Route& r : kRoutes) {
        if (notification.type != QLatin1String(r.type)) continue;
        if (!r.indexed) {
            if (notification.sender == QLatin1String(r.name)) {
                return (this->*r.handler)(static_cast<int>(notification.wParam));
            }
            continue;
        }
        const auto split = splitName(notification.sender);
        if (split && split->prefix == QLatin1String(r.name) && split->index < kSwatches) {
            return (this->*r.handler)(split->index);
        }
    }
}

void CColorSelectWnd::SetDpi(int dpi) {
    m_dpi = AcceptedDpi(dpi, "SET_WND DPI SET ERROR");
}

void CColorSelectWnd::SetColour(uint32_t argb) {
    m_colour = argb;
    m_preview = argb;
    paintPreview(false);
    if (m_palette) m_palette->setSelectedColour(argb);
    showInEdits(argb);
}

void CColorSelectWnd::EnableSevenColour(bool enable) {
    for (QAbstractButton* option : {m_sevenColourOption.data(), m_sevenColourCollect.data()}) {
        if (!option) continue;
        option->setEnabled(enable);
    }
    if (!enable) SetSevenColour(false);
    if (m_sevenColourLayout) m_sevenColourLayout->setVisible(enable);
}

void CColorSelectWnd::SetSevenColour(bool on) {
    m_sevenColour = on;
    for (QAbstractButton* option : {m_sevenColourOption.data(), m_sevenColourCollect.data()}) {
        if (option) option->setChecked(on);
    }
    paintPreview(on);
}

void CColorSelectWnd::onPresetClicked(int index) {
    const auto at = static_cast<size_t>(index);
    m_options.presetSelected = index;
    if (!m_file.SavePresets(m_options)) debugLog("colour picker: cannot store the preset choice");
    m_colour = m_options.presets[at];
    if (m_palette) m_palette->setSelectedColour(m_colour);
    showInEdits(m_colour);
    collect();
}

void CColorSelectWnd::onCollectedClicked(int index) {
    const auto at = static_cast<size_t>(index);
    m_options.collectedSelected = index;
    if (!m_options.collectedUsed[at]) return;  // an empty slot waits for the next colour to collect
    if (!m_file.SaveCollected(m_options)) debugLog("colour picker: cannot store the collected colours");
    m_colour = m_options.collected[at];
    showPreview(m_colour);
    if (m_palette) m_palette->setSelectedColour(m_colour);
    SetSevenColour(false);
    showInEdits(m_colour);
}

void CColorSelectWnd::onPaletteChanged(int) {
    if (!m_palette) return;
    m_colour = m_palette->selectedColour();
    collect();
    showInEdits(m_colour);
}

void CColorSelectWnd::onEditChanged(int) {
    std::array<uint32_t, 3> channel{};
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (!m_edits[i]) continue;
        bool ok = false;
        const int typed = m_edits[i]->text().toInt(&ok, 10);
        const int value = ok ? std::clamp(typed, 0, 255) : 0;
        // A number past 255 is taken as 255, and the edit says so; it never wraps round.
        if (ok && value != typed) m_edits[i]->setText(QString::number(value));
        channel[i] = static_cast<uint32_t>(value);
    }
    m_colour = opaque(channel[0], channel[1], channel[2]);
    if (m_palette) m_palette->setSelectedColour(m_colour);
    collect();
}

void CColorSelectWnd::onSevenColourChanged(int checked) {
    SetSevenColour(checked != 0);
}

void CColorSelectWnd::onOk(int) {
    if (!m_palette) return done(kResultNoPalette);
    m_result = m_preview;
    done(kResultOk);
}

void CColorSelectWnd::onClose(int) {
    done(kResultClosed);
}
void CColorSelectWnd::onMinimise(int) {
    showMinimized();
}
void CColorSelectWnd::onMaximise(int) {
    showMaximized();
}
void CColorSelectWnd::onRestore(int) {
    showNormal();
}

void CColorSelectWnd::collect() {
    const auto at = static_cast<size_t>(m_options.collectedSelected);
    QAbstractButton* slot = m_collected[at];
    if (slot && slot->isChecked()) {
        m_options.collected[at] = m_colour;
        m_options.collectedUsed[at] = true;
        paintSwatch(slot, m_colour, true);
        if (!m_file.SaveCollected(m_options)) debugLog("colour picker: cannot store the collected colours");
    }
    showPreview(m_colour);
    SetSevenColour(false);
}

void CColorSelectWnd::showInEdits(uint32_t argb) {
    for (size_t i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i]) m_edits[i]->setText(QString::number((argb >> kEditShifts[i]) & 0xFF));
    }
}

void CColorSelectWnd::showPreview(uint32_t argb) {
    m_preview = argb;
    paintPreview(m_sevenColour);
}

void CColorSelectWnd::paintPreview(bool sevenColour) {
    if (!m_previewButton) return;
    const QString background = sevenColour ? QLatin1String(kSevenColourBackground) : hexRgb(m_preview);
    m_previewButton->setStyleSheet(
        QStringLiteral("QAbstractButton { background: %1; border: 1px solid #2A313D; "
                       "border-radius: 12px; }")
            .arg(background));
}

void CColorSelectWnd::paintSwatch(QAbstractButton* swatch, uint32_t argb, bool filled) {
    if (!swatch) return;
    swatch->setProperty("userData", filled ? QStringLiteral("1") : QString());
    // A filled swatch is its colour without a border; the selected one gets a light ring. An empty slot
    // is a dashed outline.
    const QString face = filled ? QStringLiteral("background: %1; border: none;").arg(hexRgb(argb))
                                : QStringLiteral("background: transparent; border: 1px dashed #3A4250;");
    swatch->setStyleSheet(QStringLiteral("QAbstractButton { %1 border-radius: 6px; }"
                                         "QAbstractButton:checked { border: 2px solid #E7EAF0; }"
                                         "QAbstractButton:hover { border: 2px solid #8B94A5; }")
                              .arg(face));
}

void CColorSelectWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) showMaximisedState();
    QDialog::changeEvent(event);
}

void CColorSelectWnd::showMaximisedState() {
    const bool maximised = isMaximized();
    if (m_max) m_max->setVisible(!maximised);
    if (m_restore) m_restore->setVisible(maximised);
}

std::optional<uint32_t> ColourPickerOpener::PickColour(QWidget* owner, const LayoutLoader& loader,
                                                       const LanguageTexts& texts,
                                                       const ColorOptionFile& colourFile,
                                                       uint32_t initialArgb, int dpi) {
    if (m_window) return std::nullopt;
    CColorSelectWnd window(loader, texts, colourFile, owner);
    m_window = &window;
    window.SetDpi(dpi);
    window.SetColour(initialArgb);
    window.EnableSevenColour(false);
    if (owner) window.move(owner->window()->frameGeometry().center() - window.rect().center());
    const int result = window.exec();
    if (result != CColorSelectWnd::kResultOk) return std::nullopt;
    return window.GetResult();
}

}  // namespace halvern::ui
