#include "ui/controls/tinted_image.h"

#include <QGuiApplication>
#include <QPixmap>

#include "ui/controls/image_cache.h"

namespace halvern::ui {

const QImage& TintedImage::image(const QString& name, QSize size, QColor colour) {
    const qreal ratio = qGuiApp->devicePixelRatio();
    if (name != m_name || size != m_size || ratio != m_ratio) readShape(name, size, ratio);
    const QRgb rgba = colour.rgba();
    if (!m_filled || rgba != m_colour) fill(rgba);
    return m_tinted;
}

void TintedImage::readShape(const QString& name, QSize size, qreal ratio) {
    m_name = name;
    m_size = size;
    m_ratio = ratio;
    m_filled = false;
    const QPixmap source = cachedImage(name, size, ratio);
    m_shape = source.isNull() ? QImage() : source.toImage().convertToFormat(QImage::Format_Alpha8);
    m_tinted = m_shape.isNull() ? QImage() : QImage(m_shape.size(), QImage::Format_ARGB32_Premultiplied);
    m_tinted.setDevicePixelRatio(ratio);
}

// SourceIn: each pixel takes the colour, its alpha the colour's alpha times the shape's, premultiplied.
void TintedImage::fill(QRgb colour) {
    m_colour = colour;
    m_filled = true;
    if (m_shape.isNull()) return;
    const int red = qRed(colour), green = qGreen(colour), blue = qBlue(colour), alpha = qAlpha(colour);
    const auto scaled = [](int value, int by) { return (value * by + 127) / 255; };
    for (int y = 0; y < m_shape.height(); ++y) {
        const uchar* shape = m_shape.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(m_tinted.scanLine(y));
        for (int x = 0; x < m_shape.width(); ++x) {
            const int a = scaled(shape[x], alpha);
            out[x] = qRgba(scaled(red, a), scaled(green, a), scaled(blue, a), a);
        }
    }
}

}  // namespace halvern::ui
