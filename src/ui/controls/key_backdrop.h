#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;
class QWidget;

namespace halvern::ui {

/// What lies under the key buttons of a picture panel: the panel's own background and the children that
/// are not key buttons (the device picture), rendered into one pixmap when first needed after a change of
/// size, look or children. A key button that overlaps no other key copies its part of it and is opaque,
/// so a light that changes repaints that key alone: the picture, panel and window under it are not
/// painted again for every preview frame. Keys that overlap another key keep being drawn over what is
/// under them.
class KeyBackdrop final {
public:
    explicit KeyBackdrop(QWidget* panel) : m_panel(panel) {}

    /// Something under the keys or the keys' places changed: render again before the next use and decide
    /// again which keys are opaque.
    void invalidate();

    /// Renders the backdrop when it changed; returns how many times it was rendered, which tells a key
    /// whether what it copied from it is still current.
    int prepare();

    /// Draws the part of the backdrop under `area` (panel coordinates) at the painter's origin.
    void paint(QPainter& painter, const QRect& area);

    /// How many times the backdrop was rendered (tests check it is not once per frame).
    [[nodiscard]] int renders() const { return m_renders; }

private:
    void render();
    void markOpaqueKeys();

    QWidget* m_panel;
    QPixmap m_pixmap;
    bool m_valid = false;
    bool m_markPending = false;
    int m_renders = 0;
};

}  // namespace halvern::ui
