#pragma once

#include <QFrame>
#include <QString>

namespace halvern::ui {

/// The common behaviour of our list rows: a row is selected by a press (the rows of the same class
/// beside it are then unselected, so a list of them keeps one selection), activated by a double click
/// ("itemactivate"), hot while the mouse is over it, and sends "menu" on a context-menu request when
/// its "menu" flag is set. The context menu's wParam is 0 and its lParam the global mouse point packed
/// as x in the low and y in the high 16 bits.
class ListElement : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool menu READ contextMenuUsed WRITE setContextMenuUsed)
public:
    [[nodiscard]] bool isSelected() const { return m_selected; }
    /// Repaints when the flag changes; sends nothing.
    void setSelected(bool selected);
    [[nodiscard]] bool isHot() const { return m_hot; }

    [[nodiscard]] bool contextMenuUsed() const { return m_menu; }
    void setContextMenuUsed(bool used) { m_menu = used; }

    /// Sends "itemactivate" when enabled; false when disabled.
    bool activate();

    /// Packs a point the way "menu" notifications carry it.
    [[nodiscard]] static qintptr packPoint(QPoint point);

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);

protected:
    explicit ListElement(QWidget* parent);

    /// Selects this row alone among its sibling rows of the same class.
    void selectAlone();

    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    /// Paints the row's background for its hot and selected states.
    void paintBackground(QPainter& painter) const;

private:
    bool m_selected = false;
    bool m_hot = false;
    bool m_menu = false;
};

}  // namespace halvern::ui
