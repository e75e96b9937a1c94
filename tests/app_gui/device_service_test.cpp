// The application as the session's device service, on a private session bus (run through
// tests/dbus/session_bus.sh): its objects and properties as a client sees them, the errors it answers, the
// change notices whatever made the change, and writes arriving while the keyboard streams.

#include "app/service/device_service.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <QProcessEnvironment>
#include <vector>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/mouse_page.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

const QString kService = QStringLiteral("org.halvern.Halvern1");
const QString kMousePath = QStringLiteral("/org/halvern/Halvern1/devices/mouse");
const QString kKeyboardPath = QStringLiteral("/org/halvern/Halvern1/devices/keyboard");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

/// Another program on the bus, with a connection of its own: it calls without blocking (the service
/// answers on this same thread) and keeps the PropertiesChanged it sees.
class Client : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    Client() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"))) {
        for (const QString& path : {kMousePath, kKeyboardPath})
            m_bus.connect(kService, path, kProperties, QStringLiteral("PropertiesChanged"), this,
                          SLOT(onChanged(QString, QVariantMap, QStringList)));
    }
    ~Client() override { QDBusConnection::disconnectFromBus(QStringLiteral("client")); }

    /// Sends a call and waits for its answer.
    QDBusMessage call(const QString& path, const QString& interface, const QString& member,
                      const QList<QVariant>& args) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
        message.setArguments(args);
        QDBusPendingCall pending = m_bus.asyncCall(message, 10000);
        EXPECT_TRUE(waitUntil([&] { return pending.isFinished(); }, 15000)) << member.toStdString();
        return pending.reply();
    }
    QDBusPendingCall send(const QString& path, const QString& interface, const QString& member,
                          const QList<QVariant>& args) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
        message.setArguments(args);
        return m_bus.asyncCall(message, 60000);
    }
    QVariant get(const QString& path, const QString& interface, const QString& name) {
        const QDBusMessage reply = call(path, kProperties, QStringLiteral("Get"), {interface, name});
        return reply.arguments().isEmpty() ? QVariant()
                                           : reply.arguments()[0].value<QDBusVariant>().variant();
    }
    QDBusMessage set(const QString& path, const QString& interface, const QString& name,
                     const QVariant& value) {
        return call(path, kProperties, QStringLiteral("Set"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    /// Whether a PropertiesChanged of `path` named `property` arrived (and forgets what arrived so far).
    bool sawChange(const QString& path, const QString& property) {
        for (const auto& [from, names] : m_changes) {
            if (from == path && names.contains(property)) {
                m_changes.clear();
                return true;
            }
        }
        return false;
    }

private slots:
    void onChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        m_changes.emplace_back(message().path(), changed.keys());
    }

private:
    QDBusConnection m_bus;
    std::vector<std::pair<QString, QStringList>> m_changes;
};

class DeviceServiceTest : public ::testing::Test {
protected:
    DeviceServiceTest() {
        mouse = emulator.attach(Product::Mouse, Attachment::Cable);
        keyboard = emulator.attach(Product::Keyboard, Attachment::Cable);
        window.start();
        QString problem;
        started = service.start(QDBusConnection::sessionBus(), problem);
        EXPECT_TRUE(started) << problem.toStdString();
        window.uiTasks().setAfterTasks([this] { service.stateMayHaveChanged(); });
    }
    ~DeviceServiceTest() override {
        window.uiTasks().setAfterTasks({});
        window.shutdown();
    }

    /// Waits until the service lists the object at `path`.
    bool listed(const QString& path) {
        return waitUntil(
            [&] {
                const QDBusMessage reply =
                    client.call(QStringLiteral("/org/halvern/Halvern1"), kProperties, QStringLiteral("Get"),
                                {QStringLiteral("org.halvern.Halvern1.Manager"), QStringLiteral("Devices")});
                if (reply.arguments().isEmpty()) return false;
                const auto paths =
                    qdbus_cast<QList<QDBusObjectPath>>(reply.arguments()[0].value<QDBusVariant>().variant());
                return std::any_of(paths.begin(), paths.end(),
                                   [&](const QDBusObjectPath& p) { return p.path() == path; });
            },
            10000);
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    emu::Emulator emulator{{.transport = emu::Transport::SocketPair}};
    std::shared_ptr<emu::VirtualDevice> mouse;
    std::shared_ptr<emu::VirtualDevice> keyboard;
    /// The layouts' own controls are known before the window loads its layouts.
    struct Loader : ui::LayoutLoader {
        Loader() { ui::registerCustomControls(*this); }
    } loader;
    ui::LanguageTexts texts;
    MainWindow window{emulator, loader, texts};
    DeviceService service{window.deviceList().manager(), emulator};
    bool started = false;
    Client client;
};

TEST_F(DeviceServiceTest, PropertiesAreReadFromTheDeviceAndWrittenThroughIt) {
    ASSERT_TRUE(started);
    ASSERT_TRUE(listed(kMousePath));
    const QString device = QStringLiteral("org.halvern.Halvern1.Device");
    const QString mouseInterface = QStringLiteral("org.halvern.Halvern1.Mouse");
    EXPECT_EQ(client.get(kMousePath, device, QStringLiteral("Kind")).toString(), QStringLiteral("mouse"));
    EXPECT_EQ(client.get(kMousePath, device, QStringLiteral("Connection")).toString(),
              QStringLiteral("cable"));

    // A write answers once the mouse took it, and the property then says what the mouse holds.
    const QDBusMessage written = client.set(kMousePath, mouseInterface, QStringLiteral("ActiveStage"), 2U);
    EXPECT_EQ(written.type(), QDBusMessage::ReplyMessage) << written.errorMessage().toStdString();
    EXPECT_EQ(client.get(kMousePath, mouseInterface, QStringLiteral("ActiveStage")).toUInt(), 2U);
    // The bus counts a stage as its index in DpiStages (halvernctl and the window count from 1): stage 0
    // is the first one.
    const QDBusMessage stage = client.call(kMousePath, mouseInterface, QStringLiteral("SetDpiStage"),
                                           {QVariant::fromValue(0U), QVariant::fromValue(900U), true});
    EXPECT_EQ(stage.type(), QDBusMessage::ReplyMessage) << stage.errorMessage().toStdString();
    const auto* page = window.deviceList().pageForKind(0);
    const auto* object = dynamic_cast<const CMerivexMouseDevice*>(page ? page->device() : nullptr);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->dpiScale().dpi(object->settings().stages[0].dpiX), 900);

    const auto errorOf = [](const QDBusMessage& reply) { return reply.errorName().toStdString(); };
    EXPECT_EQ(
        errorOf(client.set(kMousePath, mouseInterface, QStringLiteral("ActiveStage"), QStringLiteral("two"))),
        "org.halvern.Halvern1.Error.InvalidArgument");
    EXPECT_EQ(errorOf(client.set(kMousePath, mouseInterface, QStringLiteral("ActiveStage"), 9U)),
              "org.halvern.Halvern1.Error.InvalidArgument");
    EXPECT_EQ(errorOf(client.set(kMousePath, mouseInterface, QStringLiteral("PollingRate"), 3U)),
              "org.halvern.Halvern1.Error.InvalidArgument");
    EXPECT_EQ(errorOf(client.set(kMousePath, device, QStringLiteral("Kind"), QStringLiteral("keyboard"))),
              "org.freedesktop.DBus.Error.PropertyReadOnly");
    EXPECT_EQ(errorOf(client.call(QStringLiteral("/org/halvern/Halvern1/devices/mousepad"), kProperties,
                                  QStringLiteral("GetAll"), {device})),
              "org.halvern.Halvern1.Error.NotAttached");
    EXPECT_EQ(client.get(kMousePath, mouseInterface, QStringLiteral("ActiveStage")).toUInt(), 2U)
        << "refused writes change nothing";

    // The mouse leaves: its object goes with it.
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    EXPECT_TRUE(waitUntil([&] {
        return client.call(kMousePath, kProperties, QStringLiteral("GetAll"), {device}).errorName() ==
               QStringLiteral("org.halvern.Halvern1.Error.NotAttached");
    }));
}

TEST_F(DeviceServiceTest, ADpiStageChangedByThePageOrByHalvernctlIsAnnounced) {
    ASSERT_TRUE(started);
    ASSERT_TRUE(listed(kMousePath));
    DeviceSlotPage* page = window.deviceList().pageForKind(0);
    ASSERT_TRUE(page && page->page);
    auto* mousePage = dynamic_cast<ui::MousePage*>(page->page.data());
    ASSERT_TRUE(mousePage);
    mousePage->DpiSliderChanged(1, 30);
    EXPECT_TRUE(waitUntil([&] { return client.sawChange(kMousePath, QStringLiteral("DpiStages")); }))
        << "the page's change";

    // halvernctl without --emulate finds the application on the bus and changes the same mouse.
    QProcess ctl;
    ctl.start(QStringLiteral(HALVERNCTL_BINARY),
              {QStringLiteral("dpi"), QStringLiteral("5"), QStringLiteral("--dpi"), QStringLiteral("1200")});
    ASSERT_TRUE(waitUntil([&] { return ctl.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
    EXPECT_EQ(ctl.readAllStandardOutput().toStdString(),
              "stage 5: on, 1200 DPI (slider 10), colour 00ffff, written to the mouse\n");
    EXPECT_TRUE(waitUntil([&] { return client.sawChange(kMousePath, QStringLiteral("DpiStages")); }))
        << "halvernctl's change";
    const auto* device = dynamic_cast<const CMerivexMouseDevice*>(page->device());
    ASSERT_TRUE(device);
    EXPECT_EQ(device->settings().stages[4].dpiX, 10) << "the window's object holds halvernctl's change";
}

TEST_F(DeviceServiceTest, AStreamingKeyboardTakesTwoHundredChangesWithoutAFailedWrite) {
    ASSERT_TRUE(started);
    ASSERT_TRUE(listed(kKeyboardPath));
    const QString lighting = QStringLiteral("org.halvern.Halvern1.Lighting");
    const QDBusMessage streaming = client.call(kKeyboardPath, lighting, QStringLiteral("SetLighting"),
                                               {QVariantMap{{QStringLiteral("Mode"), 29U}}});
    ASSERT_EQ(streaming.type(), QDBusMessage::ReplyMessage) << streaming.errorMessage().toStdString();
    const unsigned before = keyboard->firmware().frameCount();
    ASSERT_TRUE(waitUntil([&] { return keyboard->firmware().frameCount() > before + 2; }, 5000))
        << "mode 29 streams frames";

    std::vector<QDBusPendingCall> calls;
    for (uint i = 0; i < 200; ++i) {
        calls.push_back(
            client.send(kKeyboardPath, lighting, QStringLiteral("SetLighting"),
                        {QVariantMap{{QStringLiteral("Mode"), 29U}, {QStringLiteral("Brightness"), i % 5}}}));
    }
    const unsigned during = keyboard->firmware().frameCount();
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::all_of(calls.begin(), calls.end(),
                               [](const QDBusPendingCall& c) { return c.isFinished(); });
        },
        120000));
    int failed = 0;
    for (const QDBusPendingCall& c : calls) failed += c.isError() ? 1 : 0;
    EXPECT_EQ(failed, 0) << calls.front().error().message().toStdString();
    EXPECT_GT(keyboard->firmware().frameCount(), during) << "frames flowed while the changes arrived";
    const unsigned after = keyboard->firmware().frameCount();
    EXPECT_TRUE(waitUntil([&] { return keyboard->firmware().frameCount() > after + 2; }, 5000))
        << "and still flow";
}

}  // namespace
}  // namespace halvern::app

#include "device_service_test.moc"
