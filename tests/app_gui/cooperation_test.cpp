// Cooperation with other programs on the session bus; run through tests/dbus/session_bus.sh, which gives
// the test a private bus.
#include "app/cooperation.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>

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

}  // namespace
}  // namespace halvern::app

#include "cooperation_test.moc"
