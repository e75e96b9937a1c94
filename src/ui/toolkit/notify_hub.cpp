#include "ui/toolkit/notify_hub.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaMethod>

namespace halvern::ui {

NotifyHub::NotifyHub(QObject* parent) : QObject(parent) {}

void NotifyHub::send(QWidget* control, const QString& type, qintptr wParam, qintptr lParam) {
    emit notified(Notification{type, control ? control->objectName() : QString(), control, wParam, lParam});
}

void NotifyHub::attachTree(QWidget* root) {
    if (!root) return;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w->objectName().isEmpty() || m_connected.contains(w)) continue;
        m_connected.insert(w, true);
        connect(w, &QObject::destroyed, this, [this, w] { m_connected.remove(w); });
        if (w->metaObject()->indexOfSignal("notify(QString,qintptr,qintptr)") >= 0) {
            connectCustom(w);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            connectButton(button);
        } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
            connectSlider(slider);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            connectCombo(combo);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            connectEdit(edit);
        }
    }
}

void NotifyHub::connectCustom(QWidget* control) {
    // Our controls raise their notifications themselves; the buttons among them also click.
    connect(control, SIGNAL(notify(QString, qintptr, qintptr)), this,
            SLOT(deliverCustom(QString, qintptr, qintptr)));
    if (auto* button = qobject_cast<QAbstractButton*>(control)) connectButton(button);
}

void NotifyHub::deliverCustom(const QString& type, qintptr wParam, qintptr lParam) {
    send(qobject_cast<QWidget*>(sender()), type, wParam, lParam);
}

void NotifyHub::connectButton(QAbstractButton* button) {
    connect(button, &QAbstractButton::clicked, this, [this, button] {
        send(button, QStringLiteral("click"));
        if (button->isCheckable()) send(button, QStringLiteral("selectchanged"), button->isChecked() ? 1 : 0);
    });
}

void NotifyHub::connectSlider(QAbstractSlider* slider) {
    connect(slider, &QAbstractSlider::sliderMoved, this,
            [this, slider](int value) { send(slider, QStringLiteral("movevaluechanged"), value); });
    connect(slider, &QAbstractSlider::sliderReleased, this,
            [this, slider] { send(slider, QStringLiteral("valuechanged"), slider->value()); });
    // Keyboard, wheel and page steps: the value changes after the action, so report it once it has.
    connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider](int action) {
        if (action == QAbstractSlider::SliderMove && slider->isSliderDown()) return;
        QMetaObject::invokeMethod(
            this,
            [this, slider = QPointer<QAbstractSlider>(slider)] {
                if (slider) send(slider, QStringLiteral("valuechanged"), slider->value());
            },
            Qt::QueuedConnection);
    });
}

void NotifyHub::connectCombo(QComboBox* combo) {
    connect(combo, &QComboBox::activated, this,
            [this, combo](int index) { send(combo, QStringLiteral("itemselect"), index); });
}

void NotifyHub::connectEdit(QLineEdit* edit) {
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit] { send(edit, QStringLiteral("killfocus")); });
    connect(edit, &QLineEdit::returnPressed, this, [this, edit] { send(edit, QStringLiteral("return")); });
    connect(edit, &QLineEdit::textEdited, this, [this, edit] { send(edit, QStringLiteral("textchanged")); });
}

void NotifyHub::setTimer(QWidget* control, int id, int periodMs) {
    if (!control) return;
    auto& timer = m_timers[{control, id}];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this,
                [this, control, id] { send(control, QStringLiteral("timer"), id); });
        connect(control, &QObject::destroyed, this, [this, control, id] { m_timers.erase({control, id}); });
    }
    timer->start(std::max(periodMs, 0));
}

void NotifyHub::killTimer(QWidget* control, int id) {
    auto it = m_timers.find({control, id});
    if (it != m_timers.end()) it->second->stop();
}

bool NotifyHub::hasTimer(QWidget* control, int id) const {
    auto it = m_timers.find({control, id});
    return it != m_timers.end() && it->second->isActive();
}

}  // namespace halvern::ui
