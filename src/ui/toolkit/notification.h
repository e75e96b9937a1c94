#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace halvern::ui {

/// One user action on a control, as windows and pages receive it: a type ("click", "selectchanged",
/// "valuechanged", "movevaluechanged", "itemselect", "killfocus", "return", "textchanged", "timer", ...),
/// the sender's object name, the sender itself, and two integers whose meaning depends on the type.
struct Notification {
    QString type;
    QString sender;
    QPointer<QWidget> control;
    qintptr wParam = 0;
    qintptr lParam = 0;
};

}  // namespace halvern::ui
