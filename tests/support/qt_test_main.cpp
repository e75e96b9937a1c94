// Test main of every widget test: a QApplication on the offscreen platform unless a platform or a
// display is given (test discovery runs the binary without the test's environment), and private runtime
// and data folders so tests never meet a running copy or the user's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    const QByteArray runtime = QDir(home.path()).filePath("runtime").toUtf8();
    const QByteArray data = QDir(home.path()).filePath("data").toUtf8();
    QDir().mkpath(QString::fromUtf8(runtime));
    QFile::setPermissions(QString::fromUtf8(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    setenv("XDG_DATA_HOME", data.constData(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
