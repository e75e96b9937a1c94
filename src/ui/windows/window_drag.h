#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace halvern::ui {

/// Lets the user move a frameless window by dragging one of its widgets (its title bar). Installs itself
/// as an event filter on `handle` and is owned by it.
class WindowDrag final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowDrag)
public:
    explicit WindowDrag(QWidget* handle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_handle;
    QPoint m_grab;  // press position relative to the window's top left; null when not dragging
    bool m_dragging = false;
};

}  // namespace halvern::ui
