#include "app/rgb/rgb_server.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <array>

#include "device/debug_sink.h"
#include "rgbserver/sdk_session.h"

namespace halvern::app {

struct RgbServer::Connection {
    QTcpSocket* socket = nullptr;  ///< owned by this object (its parent is the server)
    std::unique_ptr<rgb::SdkSession> session;
    QString name;  ///< the client's name as last shown
};

RgbServer::RgbServer(rgb::ControllerSource& source, QObject* parent) : QObject(parent), m_source(source) {
    connect(&m_server, &QTcpServer::newConnection, this, &RgbServer::accept);
}

RgbServer::~RgbServer() {
    close();
}

bool RgbServer::listen(const RgbServerSettings& settings, QString& problem) {
    close();
    const QHostAddress address(QString::fromStdString(settings.address));
    if (address.isNull()) {
        problem = QStringLiteral("%1 is not an IP address").arg(QString::fromStdString(settings.address));
        return false;
    }
    m_server.setMaxPendingConnections(static_cast<int>(kMaxClients));
    if (!m_server.listen(address, settings.port)) {
        problem = m_server.errorString();
        return false;
    }
    return true;
}

void RgbServer::close() {
    m_server.close();
    while (!m_connections.empty()) drop(*m_connections.back());
}

void RgbServer::deviceListUpdated() {
    for (const auto& connection : m_connections) {
        connection->session->deviceListUpdated();
    }
    // Sending may drop a connection that does not read, so the list is walked on a copy.
    std::vector<Connection*> all;
    for (const auto& connection : m_connections) all.push_back(connection.get());
    for (Connection* connection : all) (void)send(*connection);
}

QStringList RgbServer::clientNames() const {
    QStringList names;
    for (const auto& connection : m_connections) names << connection->name;
    return names;
}

void RgbServer::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_connections.size() >= kMaxClients) {
            debugLog("RGB server: a program was turned away, " + std::to_string(kMaxClients) +
                     " are connected already");
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setParent(this);
        // A client on a machine that went away is noticed by the system's keep-alive probes.
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        connection->session = std::make_unique<rgb::SdkSession>(m_source, m_nextClient++);
        Connection& added = *connection;
        m_connections.push_back(std::move(connection));
        connect(socket, &QTcpSocket::readyRead, this, [this, &added] { read(added); });
        connect(socket, &QTcpSocket::disconnected, this, [this, &added] { drop(added); });
        emit clientsChanged();
    }
}

void RgbServer::read(Connection& connection) {
    std::array<uint8_t, size_t{16} * 1024> buffer;  // read() fills what is used
    while (connection.socket->bytesAvailable() > 0) {
        const qint64 got = connection.socket->read(reinterpret_cast<char*>(buffer.data()), buffer.size());
        if (got <= 0) break;
        if (!connection.session->receive(std::span(buffer).first(static_cast<size_t>(got)))) {
            debugLog("RGB server: closing the connection of \"" + connection.session->client().name +
                     "\": " + std::string(connection.session->closeReason()));
            drop(connection);
            return;
        }
    }
    if (!send(connection)) return;
    const QString name = QString::fromStdString(connection.session->client().name);
    if (name != connection.name) {
        connection.name = name;
        emit clientsChanged();
    }
}

bool RgbServer::send(Connection& connection) {
    std::vector<uint8_t>& out = connection.session->output();
    if (!out.empty()) {
        connection.socket->write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()));
        out.clear();
    }
    // Answers pile up only when the program does not read them.
    if (connection.socket->bytesToWrite() > static_cast<qint64>(rgb::SdkSession::kMaxPendingOutput)) {
        debugLog("RGB server: \"" + connection.session->client().name + "\" does not read its answers");
        drop(connection);
        return false;
    }
    return true;
}

void RgbServer::drop(Connection& connection) {
    const auto it = std::ranges::find(m_connections, &connection, &std::unique_ptr<Connection>::get);
    if (it == m_connections.end()) return;
    std::unique_ptr<Connection> gone = std::move(*it);
    m_connections.erase(it);
    gone->socket->disconnect(this);
    gone->socket->abort();
    gone->socket->deleteLater();
    m_source.clientLeft(gone->session->client());
    emit clientsChanged();
}

}  // namespace halvern::app
