#pragma once

#include <QPushButton>
#include <QString>

namespace halvern::ui {

/// A button with a picture (its hand image) drawn over its face. Entering and leaving it while enabled
/// send "msenter" and "msleave"; a click is the button's own. The two delete images are kept for layouts
/// that set them and are not drawn.
class HandImgButton final : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ handImage WRITE setHandImage)
    Q_PROPERTY(QString deletenormalimage READ deleteNormalImage WRITE setDeleteNormalImage)
    Q_PROPERTY(QString deletehotimage READ deleteHotImage WRITE setDeleteHotImage)
public:
    explicit HandImgButton(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "HandImgButton";

    [[nodiscard]] QString handImage() const { return m_handImage; }
    void setHandImage(const QString& image);
    [[nodiscard]] QString deleteNormalImage() const { return m_deleteNormalImage; }
    void setDeleteNormalImage(const QString& image) { m_deleteNormalImage = image; }
    [[nodiscard]] QString deleteHotImage() const { return m_deleteHotImage; }
    void setDeleteHotImage(const QString& image) { m_deleteHotImage = image; }

    [[nodiscard]] bool isHot() const { return m_hot; }

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_handImage;
    QString m_deleteNormalImage;
    QString m_deleteHotImage;
    bool m_hot = false;
};

/// Enter and leave of the hand-image controls: while enabled the control becomes hot (or not), sends
/// "msenter" (or "msleave") and repaints; a disabled control keeps its state and sends nothing.
template <typename Control>
void noteHandHover(Control& control, bool& hot, bool entered) {
    if (!control.isEnabled()) return;
    hot = entered;
    emit control.notify(entered ? QStringLiteral("msenter") : QStringLiteral("msleave"), 0, 0);
    control.update();
}

}  // namespace halvern::ui
