#include "ui/controls/key_backdrop.h"

#include <QPainter>
#include <QRubberBand>
#include <QWidget>
#include <vector>

#include "ui/controls/device_key_button.h"

namespace halvern::ui {

void KeyBackdrop::invalidate() {
    m_valid = false;
    if (m_markPending) return;
    // Keys arrive, move and show one by one: which are opaque is decided once, when they have settled.
    m_markPending = true;
    QMetaObject::invokeMethod(
        m_panel,
        [this] {
            m_markPending = false;
            markOpaqueKeys();
        },
        Qt::QueuedConnection);
}

void KeyBackdrop::render() {
    const qreal ratio = m_panel->devicePixelRatioF();
    QPixmap pixmap(m_panel->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    // The panel covers every pixel: an opaque pixmap is copied, not blended, under a key.
    pixmap.fill(m_panel->palette().window().color());
    m_panel->render(&pixmap, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    for (QObject* object : m_panel->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || !child->isVisibleTo(m_panel)) continue;
        if (qobject_cast<DeviceKeyButton*>(child) || qobject_cast<QRubberBand*>(child)) continue;
        child->render(&pixmap, child->pos(), QRegion(),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    m_pixmap = std::move(pixmap);
    m_valid = true;
    ++m_renders;
}

int KeyBackdrop::prepare() {
    if (!m_valid || m_pixmap.devicePixelRatio() != m_panel->devicePixelRatioF()) render();
    return m_renders;
}

void KeyBackdrop::paint(QPainter& painter, const QRect& area) {
    prepare();
    const qreal ratio = m_pixmap.devicePixelRatio();
    painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(area.size())), m_pixmap,
                       QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

// A key is opaque when no other visible key shares a pixel with it: it then paints everything under itself.
void KeyBackdrop::markOpaqueKeys() {
    std::vector<DeviceKeyButton*> keys;
    for (QObject* object : m_panel->children()) {
        if (auto* key = qobject_cast<DeviceKeyButton*>(object)) keys.push_back(key);
    }
    for (DeviceKeyButton* key : keys) {
        bool alone = key->isVisibleTo(m_panel);
        for (const DeviceKeyButton* other : keys) {
            if (!alone) break;
            alone = other == key || !other->isVisibleTo(m_panel) ||
                    !other->geometry().intersects(key->geometry());
        }
        if (key->testAttribute(Qt::WA_OpaquePaintEvent) == alone) continue;
        key->setAttribute(Qt::WA_OpaquePaintEvent, alone);
        key->update();
    }
}

}  // namespace halvern::ui
