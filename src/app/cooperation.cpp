#include "app/cooperation.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace halvern::app {

Cooperation::Cooperation(QObject* parent) : QObject(parent) {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        m_session =
            session.connect(QString(), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                            QStringLiteral("Message"), this, SLOT(onMessage(QString, qlonglong, qlonglong)));
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        system.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                       this, SLOT(onPrepareForSleep(bool)));
    }
}

void Cooperation::broadcast(const QString& name, qlonglong wParam, qlonglong lParam) {
    if (!m_session) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kPath), QString::fromLatin1(kInterface), QStringLiteral("Message"));
    signal << name << wParam << lParam;
    QDBusConnection::sessionBus().send(signal);
}

void Cooperation::onMessage(const QString& name, qlonglong wParam, qlonglong lParam) {
    if (calledFromDBus() && message().service() == QDBusConnection::sessionBus().baseService()) return;
    emit messageReceived(name, wParam, lParam);
}

void Cooperation::onPrepareForSleep(bool before) {
    emit sleeping(before);
}

}  // namespace halvern::app
