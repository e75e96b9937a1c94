#include "ui/controls/colour_palette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace halvern::ui {
namespace {

// Hue 1.0 is hue 0.0 again: the top of the strip would show red, so hue stays just below it.
QColor fromHsv(qreal hue, qreal saturation, qreal value) {
    return QColor::fromHsvF(static_cast<float>(std::min(hue, 0.9999)), static_cast<float>(saturation),
                            static_cast<float>(value));
}

qreal fraction(int offset, int length) {
    return length <= 1 ? 0.0 : std::clamp(qreal(offset) / qreal(length - 1), 0.0, 1.0);
}

QImage renderSquare(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const qreal saturation = 1.0 - fraction(y, size.height());
        for (int x = 0; x < size.width(); ++x) {
            line[x] = fromHsv(fraction(x, size.width()), saturation, 1.0).rgb();
        }
    }
    return image;
}

}  // namespace

ColourPalette::ColourPalette(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QRect ColourPalette::squareRect() const {
    return QRect(kInset, kInset, std::max(1, width() - kStripWidth - kGap - 3 * kInset),
                 std::max(1, height() - 2 * kInset));
}

QRect ColourPalette::stripRect() const {
    return QRect(width() - kStripWidth - kInset, kInset, kStripWidth, std::max(1, height() - 2 * kInset));
}

void ColourPalette::setSelectedColour(uint32_t argb) {
    m_colour = argb;
    const QColor colour = QColor::fromRgb(argb);
    if (colour.hsvHueF() >= 0) m_hue = colour.hsvHueF();  // grey has no hue: keep the marker's column
    m_saturation = colour.hsvSaturationF();
    m_value = colour.valueF();
    update();
}

void ColourPalette::updateColourFromHsv() {
    m_colour = fromHsv(m_hue, m_saturation, m_value).rgba();
}

void ColourPalette::track(QPoint point) {
    if (m_dragging == Part::Square) {
        const QRect square = squareRect();
        m_hue = fraction(point.x() - square.left(), square.width());
        m_saturation = 1.0 - fraction(point.y() - square.top(), square.height());
    } else if (m_dragging == Part::Strip) {
        const QRect strip = stripRect();
        m_value = 1.0 - fraction(point.y() - strip.top(), strip.height());
    } else {
        return;
    }
    updateColourFromHsv();
    update();
    emit colourTracked(m_colour);
}

void ColourPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    // The margins round the square and the strip count as their edges.
    const QMargins margin(kInset, kInset, kInset, kInset);
    if (squareRect().marginsAdded(margin).contains(point))
        m_dragging = Part::Square;
    else if (stripRect().marginsAdded(margin).contains(point))
        m_dragging = Part::Strip;
    track(point);
}

void ColourPalette::mouseMoveEvent(QMouseEvent* event) {
    track(event->position().toPoint());
}

void ColourPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_dragging == Part::None)
        return QWidget::mouseReleaseEvent(event);
    track(event->position().toPoint());
    m_dragging = Part::None;
    emit notify(QStringLiteral("colorchanged"), static_cast<qintptr>(m_colour), 0);
}

void ColourPalette::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.3);  // a colour the current mode does not use
    const QRect square = squareRect();
    if (m_square.size() != square.size()) m_square = renderSquare(square.size());

    QPainterPath squareClip;
    squareClip.addRoundedRect(square, 8, 8);
    p.setClipPath(squareClip);
    p.drawImage(square.topLeft(), m_square);
    p.setClipping(false);

    const QRect strip = stripRect();
    QLinearGradient value(strip.topLeft(), strip.bottomLeft());
    value.setColorAt(0, fromHsv(m_hue, m_saturation, 1.0));
    value.setColorAt(1, Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(value);
    p.drawRoundedRect(strip, 6, 6);

    // Markers: a ring on the square, a bar across the strip; dark outline inside a light one so both show
    // on any colour.
    const QPointF spot(square.left() + m_hue * (square.width() - 1),
                       square.top() + (1.0 - m_saturation) * (square.height() - 1));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 160), 3));
    p.drawEllipse(spot, 7, 7);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(spot, 7, 7);
    const qreal barY = strip.top() + (1.0 - m_value) * (strip.height() - 1);
    const QRectF bar(strip.left() - 3, barY - 3, strip.width() + 6, 6);
    p.setPen(QPen(QColor(0, 0, 0, 160), 3));
    p.drawRoundedRect(bar, 3, 3);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawRoundedRect(bar, 3, 3);
}

}  // namespace halvern::ui
