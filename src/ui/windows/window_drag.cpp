#include "ui/windows/window_drag.h"

#include <QMouseEvent>
#include <QWidget>

namespace halvern::ui {

WindowDrag::WindowDrag(QWidget* handle) : QObject(handle), m_handle(handle) {
    handle->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_handle) return false;
    QWidget* window = m_handle->window();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || window->isMaximized()) return false;
            m_dragging = true;
            m_grab = mouse->globalPosition().toPoint() - window->frameGeometry().topLeft();
            return true;
        }
        case QEvent::MouseMove:
            if (!m_dragging) return false;
            window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_grab);
            return true;
        case QEvent::MouseButtonRelease:
            if (!m_dragging) return false;
            m_dragging = false;
            return true;
        default:
            return false;
    }
}

}  // namespace halvern::ui
