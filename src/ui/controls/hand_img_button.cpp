#include "ui/controls/hand_img_button.h"

#include <QPainter>

#include "ui/controls/image_cache.h"

namespace halvern::ui {

HandImgButton::HandImgButton(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
}

void HandImgButton::setHandImage(const QString& image) {
    m_handImage = image;
    update();
}

void HandImgButton::enterEvent(QEnterEvent* event) {
    noteHandHover(*this, m_hot, true);
    QPushButton::enterEvent(event);
}

void HandImgButton::leaveEvent(QEvent* event) {
    noteHandHover(*this, m_hot, false);
    QPushButton::leaveEvent(event);
}

void HandImgButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    const QPixmap hand = cachedImage(m_handImage, size());
    if (hand.isNull()) return;
    QPainter p(this);
    p.drawPixmap(rect(), hand);
}

}  // namespace halvern::ui
