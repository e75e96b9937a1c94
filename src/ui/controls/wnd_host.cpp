#include "ui/controls/wnd_host.h"

#include <QWindow>

namespace halvern::ui {

WndHost::WndHost(QWidget* parent) : QWidget(parent) {}

void WndHost::setHostedWindow(QWindow* window) {
    delete m_container;  // takes the old window with it
    m_window = window;
    if (window) {
        m_container = QWidget::createWindowContainer(window, this);
        m_container->setFocusPolicy(Qt::StrongFocus);
    }
    syncWindow();
}

bool WndHost::setHostedWindowId(WId id) {
    QWindow* foreign = QWindow::fromWinId(id);
    setHostedWindow(foreign);
    return foreign != nullptr;
}

void WndHost::syncWindow() {
    if (!m_container) return;
    m_container->setGeometry(rect());
    m_container->setVisible(isVisible());
}

void WndHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncWindow();
}

void WndHost::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    syncWindow();
}

void WndHost::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    syncWindow();
}

void WndHost::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    syncWindow();
}

}  // namespace halvern::ui
