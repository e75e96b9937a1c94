#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <memory>
#include <vector>

#include "profile/rgb_server_settings.h"
#include "rgbserver/controller_source.h"

class QTcpSocket;

namespace halvern::app {

/// The OpenRGB SDK server: RGB programs connect over TCP and drive the devices that `source` describes.
/// Each connection has its own protocol session; a connection that breaks the protocol, or stops reading
/// its answers, is closed without touching the others. Lives on the interface thread.
class RgbServer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RgbServer)
public:
    explicit RgbServer(rgb::ControllerSource& source, QObject* parent = nullptr);
    ~RgbServer() override;

    /// Listens at the address and port of `settings` (port 0: any free port). False, with the reason in
    /// `problem`, when it cannot (the address is not one of this machine's, the port is taken).
    [[nodiscard]] bool listen(const RgbServerSettings& settings, QString& problem);
    /// Closes every connection and stops listening.
    void close();
    [[nodiscard]] bool listening() const { return m_server.isListening(); }
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }

    /// Tells every client that the controllers changed.
    void deviceListUpdated();
    /// The names the connected programs gave (an unnamed one as "").
    [[nodiscard]] QStringList clientNames() const;

    /// Connections served at once; more are closed as they arrive.
    static constexpr size_t kMaxClients = 16;

signals:
    /// A program connected, named itself or left.
    void clientsChanged();

private:
    struct Connection;

    void accept();
    void read(Connection& connection);
    /// Sends the session's answers; false when that dropped the connection.
    [[nodiscard]] bool send(Connection& connection);
    void drop(Connection& connection);

    rgb::ControllerSource& m_source;
    QTcpServer m_server;
    std::vector<std::unique_ptr<Connection>> m_connections;
    uint64_t m_nextClient = 1;
};

}  // namespace halvern::app
