#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

namespace halvern::ui {

/// Draws a device picture that a layout gives as a style-sheet image (`image: url(skin:…svg)`) from a
/// pixmap rendered once for the label's size, instead of scaling the picture again on every paint. The
/// picture lies under the light spots that the preview repaints many times a second; rendered once, a
/// repaint of a spot only copies the pixels under it. Rendered again when the label is resized (or its
/// screen's pixel ratio changes). A paint copies only the exposed part of the picture. Owned by the
/// label.
class PictureCache final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureCache)
public:
    /// Takes over `label`'s style-sheet image, when it has one; returns the cache, or null when the label
    /// has no such image (it then stays as it is).
    static PictureCache* install(QLabel* label);

    [[nodiscard]] const QString& source() const { return m_source; }
    /// How many times the picture was rendered (tests check it is not once per paint).
    [[nodiscard]] int renders() const { return m_renders; }
    [[nodiscard]] const QPixmap& pixmap() const { return m_pixmap; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PictureCache(QLabel* label, QString source);
    void render();

    void paint(const QRect& exposed);

    /// Held as a widget: events reach the filter while the label is being destroyed, when it is no
    /// longer a QLabel.
    QPointer<QWidget> m_label;
    QString m_source;
    QPixmap m_pixmap;
    QPoint m_origin;  ///< where the picture's top left corner sits in the label
    int m_renders = 0;
};

}  // namespace halvern::ui
