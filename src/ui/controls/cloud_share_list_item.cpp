#include "ui/controls/cloud_share_list_item.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/attribute_text.h"

namespace halvern::ui {

CloudShareListItem::CloudShareListItem(QWidget* parent) : ListElement(parent) {
    setFocusPolicy(Qt::ClickFocus);
}

QColor CloudShareListItem::hotFrameColour() const {
    const QWidget* list = parentWidget();
    if (!list || !isHot() || isSelected()) return {};
    if (list->property("itemhotimage").toString().isEmpty()) return {};
    const QVariant colour = list->property("itemlinecolor");
    if (colour.metaType().id() == QMetaType::QColor) return colour.value<QColor>();
    return parseColourText(colour.toString()).value_or(QColor());
}

void CloudShareListItem::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        paintBackground(p);
        const QColor frame = hotFrameColour();
        if (frame.isValid()) {
            p.setPen(QPen(frame, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    ListElement::paintEvent(event);
}

void CloudShareListItem::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        activate();
        return;
    }
    ListElement::keyPressEvent(event);
}

void CloudShareListItem::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled())
        selectAlone();
    else
        ListElement::mousePressEvent(event);
}

}  // namespace halvern::ui
