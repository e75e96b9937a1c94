#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "gui_wait.h"

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

TEST(SingleInstance, SecondStartOfTheProgramExitsAtOnceWithZero) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HALVERN_EMULATE"), QStringLiteral("mouse"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(HALVERN_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    QThread::msleep(700);  // let it take the instance
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
