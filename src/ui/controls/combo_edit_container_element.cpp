#include "ui/controls/combo_edit_container_element.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {

ComboEditContainerElement::ComboEditContainerElement(const LayoutLoader* loader, QWidget* parent)
    : ListElement(parent) {
    setFocusPolicy(Qt::ClickFocus);
    if (loader) buildContent(*loader);
}

bool ComboEditContainerElement::buildContent(const LayoutLoader& loader) {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
    delete layout();
    m_text1 = nullptr;
    m_text2 = nullptr;
    m_delayEdit = nullptr;

    QWidget* content = loader.load(QString::fromLatin1(kLayout), this);
    if (!content) return false;
    auto* box = new QHBoxLayout(this);  // owned by the row
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(content);
    m_text1 = content->findChild<QLabel*>(QStringLiteral("text1"));
    m_text2 = content->findChild<QLabel*>(QStringLiteral("text2"));
    m_delayEdit = content->findChild<QLineEdit*>(QStringLiteral("delay_edit"));
    watchSubControls(content);
    return true;
}

void ComboEditContainerElement::watchSubControls(QWidget* content) {
    for (QLineEdit* edit : content->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::returnPressed, this, [this] { m_subControlNoted = true; });
    for (QAbstractButton* button : content->findChildren<QAbstractButton*>()) {
        if (button->isCheckable())
            connect(button, &QAbstractButton::clicked, this, [this] { m_subControlNoted = true; });
    }
}

void ComboEditContainerElement::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        paintBackground(p);
    }
    ListElement::paintEvent(event);
}

void ComboEditContainerElement::keyPressEvent(QKeyEvent* event) {
    // Enter in a sub-control reaches the row too once the sub-control has let it go; it is not the row's.
    const QWidget* focus = QApplication::focusWidget();
    const bool fromSubControl = focus && focus != this && isAncestorOf(focus);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && isEnabled() && !fromSubControl) {
        activate();
        emit notify(QStringLiteral("return"), 0, 0);
        return;
    }
    ListElement::keyPressEvent(event);
}

void ComboEditContainerElement::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return ListElement::mousePressEvent(event);
    if (event->modifiers() & Qt::ControlModifier)
        setSelected(!isSelected());
    else
        selectAlone();
}

void ComboEditContainerElement::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) emit notify(QStringLiteral("itemclick"), 0, 0);
}

void ComboEditContainerElement::timerEvent(QTimerEvent* event) {
    emit notify(QStringLiteral("timer"), event->timerId(), 0);
}

}  // namespace halvern::ui
