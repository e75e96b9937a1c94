#pragma once

#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>

namespace halvern::ui {

/// A picture larger than the control that the user drags to see other parts of it. The control shows the
/// image's view window (one control size of image pixels, unscaled); dragging moves the window against the
/// mouse, stopping at every edge of the image with its size unchanged. A picture that fits the control is
/// drawn over the whole control and does not move. Sends "msenter" and "msleave", never "click".
class HandImgSelectButton final : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ handImage WRITE setHandImage)
    Q_PROPERTY(QString cursor READ cursorName WRITE setCursorName)
public:
    explicit HandImgSelectButton(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "HandImgSelectButton";

    [[nodiscard]] QString handImage() const { return m_handImage; }
    /// Loads the image (a skin file name or a path) and shows its top-left part.
    void setHandImage(const QString& image);

    /// One of "arrow", "ibeam", "wait", "cross", "uparrow", "size", "icon", "sizenwse", "sizenesw",
    /// "sizewe", "sizens", "sizeall", "no", "hand" (any case); other names leave the cursor as it is.
    [[nodiscard]] QString cursorName() const { return m_cursorName; }
    void setCursorName(const QString& name);

    /// The part of the image shown, in image pixels.
    [[nodiscard]] QRect viewWindow() const { return m_view; }
    /// The image's own size; empty when it could not be read.
    [[nodiscard]] QSize imageSize() const { return m_imageSize; }
    /// True when the image is larger than the control in some direction, so only its view window is drawn.
    [[nodiscard]] bool cropped() const { return m_cropped; }
    [[nodiscard]] bool isHot() const { return m_hot; }

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void press(QPoint at);
    void pan(QPoint at);
    void resetView();

    QString m_handImage;
    QString m_cursorName;
    QSize m_imageSize;
    QRect m_view;
    bool m_cropped = false;
    bool m_pressed = false;
    bool m_captured = false;
    bool m_hot = false;
    QPoint m_last;
};

}  // namespace halvern::ui
