// The device service as another program meets it, measured with the programs users start: the real
// `halvern` (offscreen, on an emulated mouse over a socket pair) on the session bus, and the real
// `halvernctl`. Prints: a property write over the bus until the mouse acknowledged it (median and worst of
// the calls), and the wall time of `halvernctl dpi` through the running application and alone (the
// application stopped, halvernctl opening its own emulated mouse).
//
// Usage (a private bus of its own): tests/dbus/session_bus.sh build/tests/bench/service_bench [CALLS]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kService = QStringLiteral("org.halvern.Halvern1");
const QString kMouse = QStringLiteral("/org/halvern/Halvern1/devices/mouse");

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures figuresOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

/// Ends `loop` when the service announces the mouse's object (subscribed before the application starts,
/// so the announcement cannot be missed).
class MouseAnnouncement : public QObject {
    Q_OBJECT
public:
    MouseAnnouncement(QDBusConnection& bus, QEventLoop& loop) : m_loop(loop) {
        subscribed = bus.connect(kService, QStringLiteral("/org/halvern/Halvern1"),
                                 QStringLiteral("org.halvern.Halvern1.Manager"),
                                 QStringLiteral("DeviceAdded"), this, SLOT(added(QDBusMessage)));
    }
    bool subscribed = false;
    bool seen = false;

public slots:
    void added(const QDBusMessage& message) {
        const QList<QVariant> args = message.arguments();
        if (args.isEmpty() || args[0].value<QDBusObjectPath>().path() != kMouse) return;
        seen = true;
        m_loop.quit();
    }

private:
    QEventLoop& m_loop;
};

double runCtl(const QStringList& words) {
    QElapsedTimer timer;
    timer.start();
    QProcess ctl;
    ctl.start(QStringLiteral(HALVERNCTL_BINARY), words);
    if (!ctl.waitForFinished(30000) || ctl.exitCode() != 0) {
        std::fprintf(stderr, "halvernctl %s failed: %s\n", qPrintable(words.join(QLatin1Char(' '))),
                     ctl.readAllStandardError().constData());
        std::exit(1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int calls = argc > 1 ? std::max(3, std::atoi(argv[1])) : 100;
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: run under tests/dbus/session_bus.sh\n");
        return 1;
    }

    QEventLoop waiting;
    MouseAnnouncement announcement(bus, waiting);
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HALVERN_EMULATE"), QStringLiteral("mouse"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(HALVERN_BINARY), {});
    QTimer::singleShot(30000, &waiting, &QEventLoop::quit);
    QObject::connect(&app, &QProcess::finished, &waiting, &QEventLoop::quit);
    waiting.exec();
    if (!announcement.subscribed) {
        std::fprintf(stderr, "cannot listen for the service's announcements\n");
        return 1;
    }
    if (!announcement.seen) {
        std::fprintf(stderr, "the application did not list the mouse on the bus\n");
        return 1;
    }

    std::vector<double> writes;
    for (int i = 0; i < calls; ++i) {
        QDBusMessage set = QDBusMessage::createMethodCall(
            kService, kMouse, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
        set << QStringLiteral("org.halvern.Halvern1.Mouse") << QStringLiteral("ActiveStage")
            << QVariant::fromValue(QDBusVariant(QVariant::fromValue<uint>(1 + i % 2)));
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply = bus.call(set, QDBus::Block, 30000);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "the write failed: %s\n", qPrintable(reply.errorMessage()));
            return 1;
        }
        writes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const int runs = std::max(3, calls / 4);
    std::vector<double> through;
    for (int i = 0; i < runs; ++i)
        through.push_back(runCtl({QStringLiteral("dpi"), QStringLiteral("2"), QStringLiteral("--dpi"),
                                  QString::number(1600 + 400 * (i % 2))}));
    app.terminate();
    app.waitForFinished(10000);

    std::vector<double> alone;
    const QString state = home.path() + QStringLiteral("/emulator");
    for (int i = 0; i < runs; ++i)
        alone.push_back(
            runCtl({QStringLiteral("--emulate"), QStringLiteral("mouse"), QStringLiteral("--emulator-state"),
                    state, QStringLiteral("dpi"), QStringLiteral("2"), QStringLiteral("--dpi"),
                    QString::number(1600 + 400 * (i % 2))}));

    const Figures w = figuresOf(writes);
    const Figures t = figuresOf(through);
    const Figures a = figuresOf(alone);
    std::printf(
        "property write (ActiveStage) until the mouse acknowledged, %d calls: median %.2f ms, worst %.2f "
        "ms\n",
        calls, w.median, w.worst);
    std::printf("halvernctl dpi through the running application, %d runs: median %.1f ms, worst %.1f ms\n",
                runs, t.median, t.worst);
    std::printf("halvernctl dpi alone (its own emulated mouse), %d runs: median %.1f ms, worst %.1f ms\n",
                runs, a.median, a.worst);
    return 0;
}

#include "service_bench.moc"
