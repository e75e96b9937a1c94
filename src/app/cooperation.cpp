#include "app/cooperation.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
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

bool Cooperation::sendToInventoryListener(int kind, const QByteArray& data) {
    if (!m_session) return false;
    QDBusConnection session = QDBusConnection::sessionBus();
    const QString service = QString::fromLatin1(kInventoryService);
    const QDBusConnectionInterface* bus = session.interface();
    if (bus == nullptr || !bus->isServiceRegistered(service).value()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QString::fromLatin1(kInventoryPath), service,
                                                       QStringLiteral("CopyData"));
    call.setAutoStartService(false);
    call << kind << data;
    // A listener that hangs must not hold the window up: the call is sent without waiting for an answer.
    return session.send(call);
}

void Cooperation::onMessage(const QString& name, qlonglong wParam, qlonglong lParam) {
    if (calledFromDBus() && message().service() == QDBusConnection::sessionBus().baseService()) return;
    emit messageReceived(name, wParam, lParam);
}

void Cooperation::onPrepareForSleep(bool before) {
    emit sleeping(before);
}

}  // namespace halvern::app
