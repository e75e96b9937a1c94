#pragma once

#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

class QRubberBand;

namespace halvern::ui {

class KeyPictureLayer;

/// The device picture: holds the key buttons and lets the user select several by dragging a rectangle
/// over them, starting anywhere on the panel, also on a key. When a drag ends, every direct child key
/// button is selected exactly when it overlaps the rectangle by at least one pixel (a whole new
/// selection, not added to the last one), and the panel sends "click_select_end". A press and release
/// that moved less than the platform's drag distance (QApplication::startDragDistance) is an ordinary
/// click and selects nothing.
///
/// The picture is laid out for its largest size, the panel's maximum size. Given less room (a short window),
/// the picture and its keys are placed smaller, in proportion, centred in the panel; never larger. A
/// child's place set from outside (the layout file, the page) is always in the picture's own coordinates.
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

    /// How large the picture is drawn: 1 at its full size, less when the panel is smaller.
    [[nodiscard]] double scale() const { return m_scale; }
    /// The full size of the picture (the maximum size), when it has one.
    [[nodiscard]] QSize sizeHint() const override;

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
    /// Places every child at its place in the picture, scaled to the panel's size.
    void placeChildren();

    struct Placed {
        QPointer<QWidget> child;
        QRect design;  ///< in the picture's own coordinates
        QRect placed;  ///< where the panel put it last
    };

    bool m_pressed = false;
    bool m_dragging = false;
    QPoint m_start;
    QPoint m_current;
    QRect m_selection;
    QRubberBand* m_band = nullptr;
    KeyPictureLayer* m_layer = nullptr;  ///< a child, made first
    std::vector<Placed> m_placed;
    double m_scale = 1.0;
    QPointF m_origin;  ///< where the picture's corner lies in the panel
};

}  // namespace halvern::ui
