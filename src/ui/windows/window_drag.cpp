#include "ui/windows/window_drag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

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
            // A Wayland client cannot place its windows: the compositor moves it. Under X the window follows
            // the pointer itself, which also works where no window manager takes a move request.
            if (QWindow* handle = window->windowHandle();
                handle && QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
                handle->startSystemMove())
                return true;
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
