#include "ui/controls/select_panel.h"

#include <QApplication>
#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "ui/controls/device_key_button.h"
#include "ui/controls/key_picture_layer.h"

namespace halvern::ui {
namespace {

// Overlap of at least one pixel; rectangles that only touch do not overlap. Right and bottom exclusive.
bool overlaps(const QRect& selection, const QRect& key) {
    const int keyRight = key.x() + key.width();
    const int keyBottom = key.y() + key.height();
    const int selRight = selection.x() + selection.width();
    const int selBottom = selection.y() + selection.height();
    return selection.x() < keyRight && key.x() < selRight && selection.y() < keyBottom && key.y() < selBottom;
}

// A rectangle of the picture in the panel: both edges are rounded, so keys that do not overlap in the
// picture never overlap when drawn smaller.
QRect mapRect(const QRect& r, double scale, QPointF origin) {
    const auto at = [scale](int v, double from) { return static_cast<int>(std::lround(from + v * scale)); };
    const int left = at(r.x(), origin.x());
    const int top = at(r.y(), origin.y());
    return {left, top, at(r.x() + r.width(), origin.x()) - left, at(r.y() + r.height(), origin.y()) - top};
}

QRect unmapRect(const QRect& r, double scale, QPointF origin) {
    const auto at = [scale](int v, double from) { return static_cast<int>(std::lround((v - from) / scale)); };
    const int left = at(r.x(), origin.x());
    const int top = at(r.y(), origin.y());
    return {left, top, at(r.x() + r.width(), origin.x()) - left, at(r.y() + r.height(), origin.y()) - top};
}

}  // namespace

SelectPanel::SelectPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
    // It fills every pixel with its own background: what lies behind it is never painted for its repaints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_layer = new KeyPictureLayer(this);  // owned by the panel
}

KeyPictureLayer* SelectPanel::pictureLayerOf(const QWidget& key) {
    auto* panel = qobject_cast<SelectPanel*>(key.parentWidget());
    return panel ? panel->m_layer : nullptr;
}

void SelectPanel::childEvent(QChildEvent* event) {
    // Presses on a key start a drag too, so watch the keys' mouse events (and every child's place, for
    // the picture layer).
    const bool watched = event->child()->isWidgetType() && m_layer && event->child() != m_layer;
    if (event->added() && watched) event->child()->installEventFilter(this);
    if (watched) m_layer->invalidate();
    QWidget::childEvent(event);
}

bool SelectPanel::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
            placeChildren();
            m_layer->setGeometry(rect());
            m_layer->invalidate();
            break;
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::ScreenChangeInternal:
            m_layer->invalidate();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

QSize SelectPanel::sizeHint() const {
    const QSize full = maximumSize();
    return full.width() < QWIDGETSIZE_MAX && full.height() < QWIDGETSIZE_MAX ? full : QWidget::sizeHint();
}

void SelectPanel::placeChildren() {
    const QSize full = maximumSize();
    double scale = 1.0;
    QPointF origin;
    if (full.width() < QWIDGETSIZE_MAX && full.height() < QWIDGETSIZE_MAX && !full.isEmpty()) {
        scale = std::min({1.0, double(width()) / full.width(), double(height()) / full.height()});
        origin = QPointF((width() - full.width() * scale) / 2, (height() - full.height() * scale) / 2);
    }
    std::erase_if(m_placed, [](const Placed& p) { return p.child.isNull(); });
    for (QObject* object : children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child == m_layer || child == m_band) continue;
        auto known = std::find_if(m_placed.begin(), m_placed.end(),
                                  [child](const Placed& p) { return p.child == child; });
        if (known == m_placed.end()) known = m_placed.insert(m_placed.end(), Placed{child, {}, {}});
        // Placed from outside since the panel last placed it: that place is in the last drawing's scale.
        if (known->placed.isNull() || child->geometry() != known->placed)
            known->design = unmapRect(child->geometry(), m_scale, m_origin);
    }
    m_scale = scale;
    m_origin = origin;
    for (Placed& p : m_placed) {
        p.placed = mapRect(p.design, m_scale, m_origin);
        p.child->setGeometry(p.placed);
    }
}

void SelectPanel::press(QPoint at) {
    if (!isEnabled()) return;
    m_pressed = true;
    m_start = m_current = at;
}

void SelectPanel::move(QPoint at) {
    // A hand that shakes a few pixels during a click has not started a drag: only a move of the
    // platform's drag distance from the press does.
    if (m_pressed && !m_dragging && (at - m_start).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
    }
    if (!m_dragging) return;
    m_current = at;
    m_selection = QRect(QPoint(std::min(m_start.x(), at.x()), std::min(m_start.y(), at.y())),
                        QSize(std::abs(at.x() - m_start.x()), std::abs(at.y() - m_start.y())));
    if (!m_band) m_band = new QRubberBand(QRubberBand::Rectangle, this);  // owned by the panel
    m_band->setGeometry(m_selection);
    m_band->raise();  // over the picture layer
    m_band->show();
    m_layer->overlaid();
}

bool SelectPanel::release() {
    m_pressed = false;
    if (!m_dragging) return false;
    m_dragging = false;
    m_start = m_current;
    if (m_band) m_band->hide();
    m_layer->overlaid();
    for (QObject* child : children()) {
        auto* key = qobject_cast<DeviceKeyButton*>(child);
        // A hidden key is no part of the picture: it never becomes selected.
        if (key) key->setSelectedKey(key->isVisibleTo(this) && overlaps(m_selection, key->geometry()));
    }
    update();
    emit notify(QStringLiteral("click_select_end"), 0, 0);
    return true;
}

void SelectPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) press(event->position().toPoint());
}

void SelectPanel::mouseMoveEvent(QMouseEvent* event) {
    move(event->position().toPoint());
}

void SelectPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) release();
}

bool SelectPanel::eventFilter(QObject* watched, QEvent* event) {
    auto* child = qobject_cast<QWidget*>(watched);
    if (!child || child->parentWidget() != this) return false;
    const auto at = [child, event] {
        return child->mapToParent(static_cast<QMouseEvent*>(event)->position().toPoint());
    };
    const auto button = [event] { return static_cast<QMouseEvent*>(event)->button(); };
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (button() == Qt::LeftButton) press(at());
            return false;  // the key still sees its press
        case QEvent::MouseMove:
            move(at());
            return m_dragging;
        case QEvent::MouseButtonRelease:
            if (button() != Qt::LeftButton) return false;
            if (release()) {
                if (auto* key = qobject_cast<QAbstractButton*>(child)) key->setDown(false);
                return true;  // a drag that ended on a key is not a click on it
            }
            return false;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::StyleChange:
            m_layer->invalidate();
            return false;
        default:
            return false;
    }
}

void SelectPanel::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
}

}  // namespace halvern::ui
