#include "ui/controls/picture_cache.h"

#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSvgRenderer>

namespace halvern::ui {

PictureCache* PictureCache::install(QLabel* label) {
    if (!label) return nullptr;
    static const QRegularExpression image(QStringLiteral(R"(image\s*:\s*url\(([^)]+)\)\s*;?)"));
    QString style = label->styleSheet();
    const QRegularExpressionMatch match = image.match(style);
    if (!match.hasMatch()) return nullptr;
    const QString source = match.captured(1).trimmed();
    if (!QSvgRenderer(source).isValid()) return nullptr;  // not a picture we can render: leave the style
    label->setStyleSheet(style.remove(match.capturedStart(0), match.capturedLength(0)));
    return new PictureCache(label, source);  // owned by the label
}

PictureCache::PictureCache(QLabel* label, QString source)
    : QObject(label), m_label(label), m_source(std::move(source)) {
    label->installEventFilter(this);
    render();
}

bool PictureCache::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_label) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Resize || event->type() == QEvent::ScreenChangeInternal) render();
    if (event->type() == QEvent::Paint) {
        paint(static_cast<QPaintEvent*>(event)->rect());
        return true;  // the label itself has nothing else to draw
    }
    return QObject::eventFilter(watched, event);
}

// The picture fills the label's contents, keeping its proportions and centred, as the style sheet drew it.
void PictureCache::render() {
    if (!m_label) return;
    const QSize area = m_label->contentsRect().size();
    if (area.isEmpty()) return;
    QSvgRenderer renderer(m_source);
    QSize size = renderer.defaultSize();
    if (size.isEmpty()) size = area;
    size.scale(area, Qt::KeepAspectRatio);
    const qreal ratio = m_label->devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    m_pixmap = std::move(pixmap);
    const QRect contents = m_label->contentsRect();
    m_origin = contents.topLeft() +
               QPoint((contents.width() - size.width()) / 2, (contents.height() - size.height()) / 2);
    ++m_renders;
    m_label->update();
}

// Only the exposed part is copied: a light spot repainted over the picture costs the pixels under it.
void PictureCache::paint(const QRect& exposed) {
    if (m_pixmap.isNull() || !m_label) return;
    const QRect picture(m_origin, m_pixmap.deviceIndependentSize().toSize());
    const QRect part = exposed.intersected(picture);
    if (part.isEmpty()) return;
    const qreal ratio = m_pixmap.devicePixelRatio();
    const QRectF source(QPointF(part.topLeft() - m_origin) * ratio, QSizeF(part.size()) * ratio);
    QPainter painter(m_label);
    painter.drawPixmap(QRectF(part), m_pixmap, source);
}

}  // namespace halvern::ui
