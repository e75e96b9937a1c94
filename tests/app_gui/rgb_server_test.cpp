// The RGB server over real sockets: what a program sees when it connects, that a program breaking the
// protocol or crowding the server loses only its own connection, and that the devices hear who left.

#include "app/rgb/rgb_server.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <memory>
#include <vector>

#include "gui_wait.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class OneMouse final : public rgb::ControllerSource {
public:
    OneMouse() {
        mouse.name = "Mouse";
        mouse.modes.resize(1);
        mouse.leds.resize(1);
        mouse.colors.resize(1);
    }
    rgb::RgbController mouse;
    std::vector<uint64_t> left;

    size_t controllerCount() const override { return 1; }
    const rgb::RgbController* controller(size_t index) const override {
        return index == 0 ? &mouse : nullptr;
    }
    void setLeds(size_t, std::span<const rgb::RgbColor>, const rgb::RgbClient&) override {}
    void setCustomMode(size_t, const rgb::RgbClient&) override {}
    void updateMode(size_t, size_t, const rgb::RgbMode&, bool, const rgb::RgbClient&) override {}
    std::vector<std::string> profileNames() const override { return {}; }
    void loadProfile(std::string_view, const rgb::RgbClient&) override {}
    void clientLeft(const rgb::RgbClient& client) override { left.push_back(client.id); }
};

QByteArray packet(uint32_t id, const QByteArray& payload = {}) {
    QByteArray bytes("ORGB");
    for (const uint32_t v : {0u, id, static_cast<uint32_t>(payload.size())})
        bytes.append(reinterpret_cast<const char*>(&v), 4);  // little-endian on every machine we build for
    return bytes + payload;
}

QByteArray u32(uint32_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 4);
}

class RgbServerTest : public ::testing::Test {
protected:
    OneMouse source;
    RgbServer server{source};

    void SetUp() override {
        QString problem;
        RgbServerSettings settings;
        settings.port = 0;  // any free port
        ASSERT_TRUE(server.listen(settings, problem)) << problem.toStdString();
    }

    std::unique_ptr<QTcpSocket> connectClient() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server.port());
        EXPECT_TRUE(waitUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; }));
        return socket;
    }

    /// Waits for `count` bytes of answers and returns them.
    static QByteArray answer(QTcpSocket& socket, qint64 count) {
        EXPECT_TRUE(waitUntil([&] { return socket.bytesAvailable() >= count; })) << count;
        return socket.read(count);
    }
};

TEST_F(RgbServerTest, AProgramCountsTheControllersAndIsNamedInTheWindow) {
    const auto client = connectClient();
    client->write(packet(40, u32(4)) + packet(50, QByteArray("Effects\0", 8)) + packet(0));
    EXPECT_EQ(answer(*client, 20).mid(16), u32(4));
    EXPECT_EQ(answer(*client, 20).mid(16), u32(1));
    EXPECT_TRUE(waitUntil([&] { return server.clientNames() == QStringList{QStringLiteral("Effects")}; }));

    server.deviceListUpdated();
    EXPECT_EQ(answer(*client, 16).mid(8, 4), u32(100));
}

TEST_F(RgbServerTest, APacketOutsideTheProtocolClosesOnlyItsOwnConnection) {
    const auto good = connectClient();
    const auto bad = connectClient();
    ASSERT_TRUE(waitUntil([&] { return server.clientNames().size() == 2; }));
    bad->write(QByteArray("GET / HTTP/1.1\r\n\r\n"));
    EXPECT_TRUE(waitUntil([&] { return bad->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(source.left.size(), 1u);
    good->write(packet(0));
    EXPECT_EQ(answer(*good, 20).mid(16), u32(1));
    good->disconnectFromHost();
    EXPECT_TRUE(waitUntil([&] { return source.left.size() == 2; })) << "the devices hear that it left";
    EXPECT_TRUE(server.clientNames().isEmpty());
}

TEST_F(RgbServerTest, MoreThanSixteenProgramsAreTurnedAway) {
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (size_t i = 0; i < RgbServer::kMaxClients; ++i) clients.push_back(connectClient());
    ASSERT_TRUE(waitUntil([&] { return server.clientNames().size() == 16; }));
    auto extra = std::make_unique<QTcpSocket>();
    extra->connectToHost(QHostAddress::LocalHost, server.port());
    EXPECT_TRUE(waitUntil([&] { return extra->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(server.clientNames().size(), 16);
    clients.front()->write(packet(0));
    EXPECT_EQ(answer(*clients.front(), 20).mid(16), u32(1)) << "those admitted are served as before";
}

TEST(RgbServer, SaysWhyItCannotListen) {
    OneMouse source;
    RgbServer first(source);
    RgbServer second(source);
    QString problem;
    RgbServerSettings settings;
    settings.port = 0;
    ASSERT_TRUE(first.listen(settings, problem));
    settings.port = first.port();
    EXPECT_FALSE(second.listen(settings, problem));
    EXPECT_FALSE(problem.isEmpty());
    settings.address = "not an address";
    EXPECT_FALSE(second.listen(settings, problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("not an IP address")));
}

}  // namespace
}  // namespace halvern::app
