#include "app/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace halvern::app {
namespace {

constexpr qint64 kMaxPending = 4096;  // bytes a client may have waiting

QString runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketName() const {
    return socketPath(m_name);
}

bool SingleInstance::acquire(bool signalRunningCopy) {
    m_lock = std::make_unique<QLockFile>(QDir(runtimeFolder()).filePath(m_name + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);  // a lock left by a crashed copy is taken over (its process is gone)
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        if (signalRunningCopy) sendInstanceMessage();
        return false;
    }
    m_server = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(socketName());  // a socket left behind by a crash
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(socketName());
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->setReadBufferSize(kMaxPending);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // A client that sends more than a few lines' worth without a line end is cut off.
                if (!socket->canReadLine() && socket->bytesAvailable() >= kMaxPending) {
                    socket->abort();
                    return;
                }
                // One line per message: "<name> <wParam> <lParam>"; anything else is ignored.
                while (socket->canReadLine()) {
                    const QList<QByteArray> parts = socket->readLine(256).trimmed().split(' ');
                    if (parts.size() == 2) {  // "<verb> <argument>", e.g. "plug mouse" to the emulator
                        emit commandReceived(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]));
                        continue;
                    }
                    if (parts.size() != 3) continue;
                    bool okW = false, okL = false;
                    const qlonglong w = parts[1].toLongLong(&okW);
                    const qlonglong l = parts[2].toLongLong(&okL);
                    if (okW && okL) emit messageReceived(QString::fromUtf8(parts[0]), w, l);
                }
            });
        }
    });
    return true;
}

QString SingleInstance::socketPath(const QString& name) {
    return QDir(runtimeFolder()).filePath(QStringLiteral("%1-%2.sock").arg(name).arg(::getuid()));
}

void SingleInstance::sendInstanceMessage() const {
    QLocalSocket socket;
    socket.connectToServer(socketName());
    if (!socket.waitForConnected(1000)) return;
    socket.write(QByteArray(kInstanceMessage) + " 0 1\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
}

}  // namespace halvern::app
