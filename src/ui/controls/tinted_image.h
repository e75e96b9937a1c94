#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace halvern::ui {

/// A skin image's shape filled with one colour: what painting the colour over the image with SourceIn
/// gives, without a painter. The shape is read once per image, size and pixel ratio, and the colour is
/// filled in again only when it changes, so a light shown frame after frame costs one pass over its pixels
/// at most.
class TintedImage {
public:
    /// The image `name` at `size` (logical pixels, at the interface's ratio) in `colour`, its alpha
    /// included; a null image when the skin image cannot be read.
    [[nodiscard]] const QImage& image(const QString& name, QSize size, QColor colour);

private:
    void readShape(const QString& name, QSize size, qreal ratio);
    void fill(QRgb colour);

    QString m_name;
    QSize m_size;
    qreal m_ratio = 0;
    QImage m_shape;   ///< the image's alpha (Format_Alpha8)
    QImage m_tinted;  ///< the shape in the colour (premultiplied)
    QRgb m_colour = 0;
    bool m_filled = false;
};

}  // namespace halvern::ui
