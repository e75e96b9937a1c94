// Cooperation with other programs on the session bus; run through tests/dbus/session_bus.sh, which gives
// the test a private bus.
#include "app/cooperation.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <span>
#include <vector>

#include "device/supported_devices.h"
#include "sound/companion_protocol.h"
#include "sound/device_inventory.h"

namespace halvern::app {
namespace {

/// Another program on the bus: its own connection, which sends and records the messages it sees.
class Peer : public QObject {
    Q_OBJECT
public:
    Peer() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("peer"))) {
        m_bus.connect(QString(), QString::fromLatin1(Cooperation::kPath),
                      QString::fromLatin1(Cooperation::kInterface), QStringLiteral("Message"), this,
                      SLOT(onMessage(QString, qlonglong, qlonglong)));
    }
    ~Peer() override { QDBusConnection::disconnectFromBus(QStringLiteral("peer")); }

    void send(const QString& name, qlonglong wParam, qlonglong lParam) {
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(Cooperation::kPath),
                                                         QString::fromLatin1(Cooperation::kInterface),
                                                         QStringLiteral("Message"));
        signal << name << wParam << lParam;
        m_bus.send(signal);
    }
    [[nodiscard]] bool connected() const { return m_bus.isConnected(); }

signals:
    void received(const QString& name, qlonglong wParam, qlonglong lParam);

private slots:
    void onMessage(const QString& name, qlonglong wParam, qlonglong lParam) {
        emit received(name, wParam, lParam);
    }

private:
    QDBusConnection m_bus;
};

/// A program that takes the list of supported devices: it owns the listener's name on a connection of
/// its own and keeps what arrives.
class InventoryListener : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.halvern.VideZavo")
public:
    InventoryListener()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("listener"))) {
        m_bus.registerObject(QString::fromLatin1(Cooperation::kInventoryPath), this,
                             QDBusConnection::ExportAllSlots);
    }
    ~InventoryListener() override { QDBusConnection::disconnectFromBus(QStringLiteral("listener")); }
    bool listen() { return m_bus.registerService(QString::fromLatin1(Cooperation::kInventoryService)); }

signals:
    void arrived(int kind, const QByteArray& data);

public slots:
    void CopyData(int kind, const QByteArray& data) { emit arrived(kind, data); }

private:
    QDBusConnection m_bus;
};

class CooperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
            GTEST_SKIP() << "no session bus: run this program through tests/dbus/session_bus.sh";
        }
        ASSERT_TRUE(cooperation.onSessionBus());
        ASSERT_TRUE(peer.connected());
    }
    Cooperation cooperation;
    Peer peer;
};

TEST_F(CooperationTest, MessagesOfOtherProgramsArriveWithTheirValues) {
    QSignalSpy arrived(&cooperation, &Cooperation::messageReceived);
    peer.send(QString::fromLatin1(message_name::kLightControlRequest), 3, -7);
    ASSERT_TRUE(arrived.wait(5000));
    ASSERT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived[0][0].toString(), QString::fromLatin1(message_name::kLightControlRequest));
    EXPECT_EQ(arrived[0][1].toLongLong(), 3);
    EXPECT_EQ(arrived[0][2].toLongLong(), -7);
}

TEST_F(CooperationTest, BroadcastReachesOthersButIsNotEchoedBack) {
    QSignalSpy arrived(&cooperation, &Cooperation::messageReceived);
    QSignalSpy peerGot(&peer, &Peer::received);
    cooperation.broadcast(QString::fromLatin1(message_name::kSettings), 1, 2);
    ASSERT_TRUE(peerGot.wait(5000));
    EXPECT_EQ(peerGot[0][0].toString(), QString::fromLatin1(message_name::kSettings));
    // The peer answers only after it saw the broadcast, so the bus delivers the broadcast to us first: when
    // the answer has arrived, an echo would have too.
    peer.send(QString::fromLatin1(message_name::kAudioLight), 5, 6);
    ASSERT_TRUE(arrived.wait(5000));
    ASSERT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived[0][0].toString(), QString::fromLatin1(message_name::kAudioLight));
}

TEST_F(CooperationTest, DeviceListGoesOnlyToAProgramListeningForIt) {
    const auto block = DeviceInventory();
    const QByteArray data(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
    InventoryListener listener;
    QSignalSpy arrived(&listener, &InventoryListener::arrived);
    EXPECT_FALSE(cooperation.sendToInventoryListener(kInventoryDataKind, data));

    ASSERT_TRUE(listener.listen());
    ASSERT_TRUE(cooperation.sendToInventoryListener(kInventoryDataKind, data));
    ASSERT_TRUE(arrived.wait(5000));
    EXPECT_EQ(arrived[0][0].toInt(), 5);
    const QByteArray got = arrived[0][1].toByteArray();
    ASSERT_EQ(got.size(), 1024);
    const auto value = [&got](int i) {
        return static_cast<int32_t>(companion::getLe(std::as_bytes(std::span(got.constData(), 1024)),
                                                     4 * static_cast<std::size_t>(i)));
    };
    EXPECT_EQ((std::vector<int32_t>{value(0), value(1), value(2), value(3), value(4)}),
              (std::vector<int32_t>{2, 3, 0, 2, static_cast<int32_t>(kDeviceKindTable.size())}));
    for (std::size_t i = 0; i < kDeviceKindTable.size(); ++i) {
        const int at = 5 + 3 * static_cast<int>(i);
        EXPECT_EQ(value(at), kDeviceKindTable[i].vid);
        EXPECT_EQ(value(at + 1), kDeviceKindTable[i].pid);
        EXPECT_EQ(value(at + 2), kDeviceKindTable[i].typeCode);
    }
    for (int i = 5 + 3 * static_cast<int>(kDeviceKindTable.size()); i < 256; ++i) EXPECT_EQ(value(i), 0) << i;
}

}  // namespace
}  // namespace halvern::app

#include "cooperation_test.moc"
