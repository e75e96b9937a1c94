#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include "gui_wait.h"
#include "thread_sanitizer.h"

namespace halvern::app {
namespace {

TEST(SingleInstance, SecondCopySignalsTheFirstWithLParamOne) {
    SingleInstance first(QStringLiteral("HalvernTest"));
    ASSERT_TRUE(first.acquire());
    QString name;
    qintptr wParam = -1, lParam = -1;
    QObject::connect(&first, &SingleInstance::messageReceived, [&](const QString& n, qintptr w, qintptr l) {
        name = n;
        wParam = w;
        lParam = l;
    });
    SingleInstance second(QStringLiteral("HalvernTest"));
    EXPECT_FALSE(second.acquire());
    ASSERT_TRUE(test::waitUntil([&] { return !name.isEmpty(); }));
    EXPECT_EQ(name, QStringLiteral("Halvern"));
    EXPECT_EQ(wParam, 0);
    EXPECT_EQ(lParam, 1);
}

TEST(SingleInstance, CommandLinesReachTheRunningCopyAndJunkIsIgnored) {
    SingleInstance first(QStringLiteral("HalvernCommands"));
    ASSERT_TRUE(first.acquire());
    QStringList commands;
    int messages = 0;
    QObject::connect(&first, &SingleInstance::commandReceived,
                     [&](const QString& verb, const QString& arg) { commands << verb + ':' + arg; });
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&](const QString&, qintptr, qintptr) { ++messages; });
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::socketPath(QStringLiteral("HalvernCommands")));
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write("plug mouse\nHalvern x 1\n\n" + QByteArray(1000, 'z') + "\nunplug keyboard\n");
    ASSERT_TRUE(socket.waitForBytesWritten(1000));
    ASSERT_TRUE(test::waitUntil([&] { return commands.size() == 2; }));
    EXPECT_EQ(commands, (QStringList{"plug:mouse", "unplug:keyboard"}));
    EXPECT_EQ(messages, 0);  // "x" is no number
}

TEST(SingleInstance, SecondStartOfTheProgramExitsAtOnceWithZero) {
    if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HALVERN_EMULATE"), QStringLiteral("mouse"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(HALVERN_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy owns the instance once its socket takes connections (it listens after taking the lock).
    ASSERT_TRUE(test::waitUntil(
        [&] {
            QLocalSocket probe;
            probe.connectToServer(SingleInstance::socketPath());
            return probe.waitForConnected(100) || first.state() != QProcess::Running;
        },
        10000));
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(HALVERN_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(3000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(3000);
}

}  // namespace
}  // namespace halvern::app
