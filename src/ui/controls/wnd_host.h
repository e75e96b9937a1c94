#pragma once

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace halvern::ui {

/// Hosts a window of its own or of another program inside a page: the hosted window takes the control's
/// place and size and is shown exactly while the control is visible.
class WndHost final : public QWidget {
    Q_OBJECT
public:
    explicit WndHost(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "Wnd";

    /// Hosts `window` (the control takes ownership of it), replacing and destroying any window hosted
    /// before; null hosts nothing.
    void setHostedWindow(QWindow* window);
    /// Hosts a native window by its id; false (and nothing hosted) when the platform cannot wrap it.
    bool setHostedWindowId(WId id);
    [[nodiscard]] QWindow* hostedWindow() const { return m_window; }

    /// Moves and sizes the hosted window to the control and shows or hides it with the control.
    void syncWindow();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWindow> m_window;
    QPointer<QWidget> m_container;
};

}  // namespace halvern::ui
