#include "ui/controls/list_element.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace halvern::ui {

ListElement::ListElement(QWidget* parent) : QFrame(parent) {}

void ListElement::setSelected(bool selected) {
    if (selected == m_selected) return;
    m_selected = selected;
    update();
}

bool ListElement::activate() {
    if (!isEnabled()) return false;
    emit notify(QStringLiteral("itemactivate"), 0, 0);
    return true;
}

qintptr ListElement::packPoint(QPoint point) {
    return static_cast<qintptr>((static_cast<uint32_t>(point.y() & 0xFFFF) << 16) |
                                static_cast<uint32_t>(point.x() & 0xFFFF));
}

void ListElement::selectAlone() {
    if (QWidget* list = parentWidget()) {
        for (QObject* child : list->children()) {
            auto* row = qobject_cast<ListElement*>(child);
            if (row && row != this && row->metaObject() == metaObject()) row->setSelected(false);
        }
    }
    setSelected(true);
}

void ListElement::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) activate();
}

void ListElement::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_menu) {
        event->ignore();
        return;
    }
    emit notify(QStringLiteral("menu"), 0, packPoint(event->globalPos()));
}

void ListElement::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        m_hot = true;
        update();
    }
    QFrame::enterEvent(event);
}

void ListElement::leaveEvent(QEvent* event) {
    m_hot = false;
    update();
    QFrame::leaveEvent(event);
}

void ListElement::paintBackground(QPainter& painter) const {
    QColor fill;
    if (m_selected)
        fill = palette().color(QPalette::Highlight);
    else if (m_hot)
        fill = palette().color(QPalette::Midlight);
    if (!fill.isValid()) return;
    if (m_selected)
        fill.setAlpha(110);
    else
        fill.setAlpha(60);
    painter.fillRect(rect(), fill);
}

}  // namespace halvern::ui
