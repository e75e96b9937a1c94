#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <utility>

#include "ui/toolkit/notification.h"

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;

namespace halvern::ui {

/// Turns the Qt signals of a window's controls into notifications, and runs per-control timers.
///
/// Only user actions notify: a click, a slider moved or released, an item chosen, an edit finished. Values
/// that the program sets itself (setChecked, setValue, setCurrentIndex) notify nothing, so filling a page
/// from a profile never writes back to the device. Controls of our own emit `notify(QString, qintptr,
/// qintptr)` and are connected by that signal.
class NotifyHub final : public QObject {
    Q_OBJECT
public:
    explicit NotifyHub(QObject* parent = nullptr);

    /// Connects `root` and every descendant that has an object name. A control is connected once, however
    /// often its tree is attached.
    void attachTree(QWidget* root);

    /// Starts (or restarts) timer `id` of `control`: every `periodMs` a "timer" notification with
    /// wParam = id is sent from the control until killTimer. A control that goes away takes its timers.
    void setTimer(QWidget* control, int id, int periodMs);
    void killTimer(QWidget* control, int id);
    [[nodiscard]] bool hasTimer(QWidget* control, int id) const;

    /// Sends a notification as if the control had raised it (the system's own notifications).
    void send(QWidget* control, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

signals:
    void notified(const halvern::ui::Notification& notification);

private slots:
    void deliverCustom(const QString& type, qintptr wParam, qintptr lParam);

private:
    void connectButton(QAbstractButton* button);
    void connectSlider(QAbstractSlider* slider);
    void connectCombo(QComboBox* combo);
    void connectEdit(QLineEdit* edit);
    void connectCustom(QWidget* control);

    QHash<QObject*, bool> m_connected;
    std::map<std::pair<QObject*, int>, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace halvern::ui
