#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

class QRubberBand;

namespace halvern::ui {

class KeyPictureLayer;

/// The device picture: holds the key buttons and lets the user select several by dragging a rectangle
/// over them, starting anywhere on the panel, also on a key. When a drag ends, every direct child key
/// button is selected exactly when it overlaps the rectangle by at least one pixel (a whole new
/// selection, not added to the last one), and the panel sends "click_select_end". A press and release
/// that moved less than the platform's drag distance (QApplication::startDragDistance) is an ordinary
/// click and selects nothing.
class SelectPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SelectPanel(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "SelectPanel";

    /// The rectangle of the last drag, in panel coordinates; right and bottom are exclusive.
    [[nodiscard]] QRect selectionRect() const { return m_selection; }
    [[nodiscard]] bool dragging() const { return m_dragging; }

    /// The layer over the key buttons that paints the picture with its keys and lights.
    [[nodiscard]] KeyPictureLayer& pictureLayer() { return *m_layer; }
    /// The picture layer that paints `key`, when the key lies in a picture panel.
    [[nodiscard]] static KeyPictureLayer* pictureLayerOf(const QWidget& key);

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void press(QPoint at);
    void move(QPoint at);
    /// True when a drag ended here (the release is then not a click on a key).
    bool release();

    bool m_pressed = false;
    bool m_dragging = false;
    QPoint m_start;
    QPoint m_current;
    QRect m_selection;
    QRubberBand* m_band = nullptr;
    KeyPictureLayer* m_layer = nullptr;  ///< a child, made first
};

}  // namespace halvern::ui
