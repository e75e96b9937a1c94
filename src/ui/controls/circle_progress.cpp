#include "ui/controls/circle_progress.h"

#include <QPainter>
#include <algorithm>

#include "ui/controls/attribute_text.h"

namespace halvern::ui {
namespace {

// Qt measures angles counter-clockwise from three o'clock in sixteenths of a degree.
constexpr int kBottom = -90 * 16;

QString colourText(const QColor& colour) {
    return colour.isValid() ? colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb)
                            : QString();
}

void setColourFromText(QColor& colour, const QString& text) {
    if (text.trimmed().isEmpty()) {
        colour = QColor();
        return;
    }
    if (auto parsed = parseColourText(text)) colour = *parsed;
}

}  // namespace

CircleProgress::CircleProgress(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
}

int CircleProgress::sweepDegrees() const {
    const qint64 range = qint64{maximum()} - minimum();
    if (range <= 0) return 0;
    const qint64 done = std::clamp<qint64>(qint64{value()} - minimum(), 0, range);
    return static_cast<int>(done * 360 / range);
}

QString CircleProgress::backgroundColourText() const {
    return colourText(m_background);
}
void CircleProgress::setBackgroundColourText(const QString& text) {
    setColourFromText(m_background, text);
    update();
}
QString CircleProgress::foregroundColourText() const {
    return colourText(m_foreground);
}
void CircleProgress::setForegroundColourText(const QString& text) {
    setColourFromText(m_foreground, text);
    update();
}

QColor CircleProgress::backgroundColour() const {
    return m_background.isValid() ? m_background : palette().color(QPalette::Mid);
}

QColor CircleProgress::foregroundColour() const {
    return m_foreground.isValid() ? m_foreground : palette().color(QPalette::Highlight);
}

QColor CircleProgress::innerColour() const {
    const QColor panel = palette().color(QPalette::Window);
    return panel.lightness() < 128 ? panel : QColor(Qt::white);
}

void CircleProgress::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRect area = rect();
    p.setBrush(backgroundColour());
    p.drawPie(area, 0, 360 * 16);

    const int sweep = sweepDegrees();
    if (sweep > 0) {
        p.setBrush(foregroundColour());
        p.drawPie(area, kBottom, -sweep * 16);  // clockwise
    }
    const QRect inner = area.adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset);
    if (inner.isValid()) {
        p.setBrush(innerColour());
        p.drawEllipse(inner);
    }
}

}  // namespace halvern::ui
