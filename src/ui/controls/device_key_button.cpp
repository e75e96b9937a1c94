#include "ui/controls/device_key_button.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include "ui/controls/contrast.h"
#include "ui/controls/image_cache.h"

namespace halvern::ui {

DeviceKeyButton::DeviceKeyButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void DeviceKeyButton::requestRepaint() {
    ++m_repaints;
    update();
}

void DeviceKeyButton::setLightImage(const QString& image) {
    m_lightImage = image;
    requestRepaint();
}

void DeviceKeyButton::setKeysetImage(const QString& image) {
    m_keysetImage = image;
    requestRepaint();
}

void DeviceKeyButton::setLightColour(uint32_t colour, int alpha, bool lit) {
    m_lightColour = colour;
    m_alpha = std::clamp(alpha, 0, 255);
    m_lit = lit;
}

void DeviceKeyButton::setKeysetImageHidden(bool hidden) {
    if (hidden == m_keysetHidden) return;
    m_keysetHidden = hidden;
    requestRepaint();
}

void DeviceKeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!isEnabled() || !rect().contains(event->position().toPoint())) return;
    setDown(true);
    emit notify(QStringLiteral("dbclick"), 0, 0);
    setDown(false);
    requestRepaint();
}

QFont DeviceKeyButton::legendFont() const {
    QFont legend = font();
    const int room = width() - 2 * kLegendMargin;
    if (text().isEmpty() || room <= 0) return legend;
    int pixels = legend.pixelSize() > 0 ? legend.pixelSize() : QFontInfo(legend).pixelSize();
    while (pixels > kMinLegendPixels && QFontMetrics(legend).horizontalAdvance(text()) > room) {
        legend.setPixelSize(--pixels);
    }
    return legend;
}

QColor DeviceKeyButton::capColour() const {
    const QColor cap(0x2A, 0x2E, 0x36);
    if (isDown()) return cap.lighter(130);
    if (underMouse()) return cap.lighter(115);
    return cap;
}

QColor DeviceKeyButton::lightAsColour() const {
    return {static_cast<int>(m_lightColour & 0xFF), static_cast<int>((m_lightColour >> 8) & 0xFF),
            static_cast<int>((m_lightColour >> 16) & 0xFF), m_alpha};
}

QColor DeviceKeyButton::legendColour() const {
    const QColor under = m_lit ? blendOver(capColour(), lightAsColour()) : capColour();
    // Pure white and pure black: one of the two has a contrast of at least 4.58 with any colour.
    return readableOn(under, Qt::white, Qt::black);
}

void DeviceKeyButton::prepareLayers() {
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1x%2@%3 %4%5%6 %7")
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(isDown())
                            .arg(underMouse())
                            .arg(m_selected)
                            .arg(text());
    if (key == m_layersKey && !m_cap.isNull()) return;
    m_layersKey = key;
    const auto layer = [&] {
        QPixmap pixmap(size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        return pixmap;
    };
    m_cap = layer();
    m_label = layer();
    m_labelDark = layer();
    QPainter p(&m_cap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = std::min(r.width(), r.height()) * 0.18;
    // Status: a key cap that shows hover, press and selection.
    const QColor cap = capColour();
    const QColor edge = m_selected ? QColor(0x3D, 0xA9, 0xFC) : QColor(0x44, 0x4A, 0x55);
    p.setPen(QPen(edge, m_selected ? 2.0 : 1.0));
    p.setBrush(cap);
    p.drawRoundedRect(r, radius, radius);
    p.end();
    if (text().isEmpty()) return;
    const QFont legend = legendFont();
    for (auto [pixmap, colour] :
         {std::pair{&m_label, QColor(Qt::white)}, std::pair{&m_labelDark, QColor(Qt::black)}}) {
        QPainter label(pixmap);
        label.setFont(legend);
        label.setPen(colour);
        label.drawText(r, Qt::AlignCenter, text());
    }
}

void DeviceKeyButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = std::min(r.width(), r.height()) * 0.18;
    prepareLayers();
    p.drawPixmap(0, 0, m_cap);

    if (m_lit) {
        const QColor light = lightAsColour();
        const QPixmap image = m_lightImage.isEmpty() ? QPixmap() : cachedImage(m_lightImage, size());
        if (!image.isNull()) {
            // Tint the light image: its alpha shape filled with the light colour.
            QPixmap tinted(image.size());
            tinted.setDevicePixelRatio(image.devicePixelRatio());
            tinted.fill(Qt::transparent);
            QPainter t(&tinted);
            t.drawPixmap(0, 0, image);
            t.setCompositionMode(QPainter::CompositionMode_SourceIn);
            t.fillRect(tinted.rect(), light);
            t.end();
            p.drawPixmap(rect(), tinted);
        } else {
            // No image: a glow inside the cap.
            QPainterPath glow;
            glow.addRoundedRect(r.adjusted(3, 3, -3, -3), radius * 0.7, radius * 0.7);
            p.fillPath(glow, light);
        }
    }
    if (!text().isEmpty()) p.drawPixmap(0, 0, legendColour() == QColor(Qt::white) ? m_label : m_labelDark);
    if (!m_keysetHidden && !m_keysetImage.isEmpty()) {
        const QPixmap mark = cachedImage(m_keysetImage, size());
        if (!mark.isNull()) p.drawPixmap(rect(), mark);
    }
}

}  // namespace halvern::ui
