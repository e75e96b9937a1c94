// halvern: the application. With HALVERN_EMULATE=<list> (as halvernctl --emulate) it runs on emulated
// devices, found through the same discovery as real ones.

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <span>

#include "app/main_window.h"
#include "app/rgb/rgb_service.h"
#include "app/service/device_service.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "device/hidraw_backend.h"
#include "emulator/capturing_backend.h"
#include "emulator/emulator.h"
#include "profile/data_folders.h"
#include "profile/rgb_server_settings.h"
#include "profile/settings_file.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/mouse_page.h"

namespace {

using namespace halvern;

// Plugs or unplugs an emulated device on a command from the local socket.
void emulatorCommand(emu::Emulator& emulator, const QString& verb, const QString& device) {
    const auto id = emu::parseDeviceName(device.toStdString());
    if (!id) return;
    if (verb == QLatin1String("plug")) (void)emulator.attach(id->product, id->attachment);
    if (verb == QLatin1String("unplug")) (void)emulator.detach(id->product, id->attachment);
}

std::unique_ptr<HidBackend> makeBackend() {
    const QByteArray list = qgetenv("HALVERN_EMULATE");
    if (list.isEmpty()) {
        // HALVERN_CAPTURE=FILE: every report to and from the devices, for a bug report.
        const QString capture = qEnvironmentVariable("HALVERN_CAPTURE");
        if (capture.isEmpty()) return std::make_unique<HidrawBackend>();
        auto file = std::make_shared<emu::TrafficCapture>(capture.toStdString());
        if (!file->isOpen()) {
            qWarning("HALVERN_CAPTURE: cannot write %s", qPrintable(capture));
            return std::make_unique<HidrawBackend>();
        }
        return std::make_unique<emu::CapturingBackend>(std::make_unique<HidrawBackend>(), std::move(file));
    }
    emu::EmulatorOptions options;
    options.transport = emu::Transport::SocketPair;
    options.stateDirectory = qEnvironmentVariable("HALVERN_EMULATOR_STATE").toStdString();
    // Every report to and from the emulated devices, one line each, as halvernctl --capture writes them.
    options.captureFile = qEnvironmentVariable("HALVERN_CAPTURE").toStdString();
    auto emulator = std::make_unique<emu::Emulator>(options);
    if (!emulator->setupError().empty()) qWarning("%s", emulator->setupError().c_str());
    std::vector<std::string> names;
    for (const QByteArray& name : list.split(',')) names.push_back(name.trimmed().toStdString());
    for (const std::string& unknown : emu::attachNamed(*emulator, names)) {
        qWarning("HALVERN_EMULATE: unknown device %s", unknown.c_str());
    }
    return emulator;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before the toolkit starts, so they work without a display.
    const app::StartOptions options =
        app::ParseStartOptions(std::span<const char* const>(argv + 1, argc > 1 ? argc - 1 : 0));
    if (options.help) {
        const std::string_view help = app::StartHelpText();
        std::fwrite(help.data(), 1, help.size(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("halvern %s\n", HALVERN_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Halvern"));
    QApplication::setApplicationVersion(QStringLiteral(HALVERN_VERSION));
    // Names the installed .desktop file, so the desktop shows the window with its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.halvern.Halvern"));
    QApplication::setQuitOnLastWindowClosed(false);

    app::SingleInstance instance;
    // The running copy brings its window forward, unless this start was for the background only.
    if (!instance.acquire(!options.background)) return 0;

    // Texts are drawn in the desktop's own fonts (fontconfig finds CJK and Thai ones); none is shipped.
    const QDir resources(QString::fromStdString(GetResourceFolder().string()));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.halvern.Halvern"),
                         QIcon(resources.filePath(QStringLiteral("skin/halvern.svg")))));
    QFile style(resources.filePath(QStringLiteral("skin/halvern.qss")));
    if (style.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(style.readAll()));

    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    // English until the chosen language is applied, and whatever of it that language lacks.
    ui::LanguageTexts texts;
    if (!texts.load(resources.filePath(QStringLiteral("lang/en.json"))))
        qWarning("halvern: no English texts");

    const std::unique_ptr<HidBackend> backend = makeBackend();
    app::MainWindow window(*backend, loader, texts);
    QObject::connect(&instance, &app::SingleInstance::messageReceived, &window,
                     [&window](const QString& name, qintptr wParam, qintptr lParam) {
                         if (name == QLatin1String(app::SingleInstance::kInstanceMessage)) {
                             window.instanceMessage(wParam, lParam);
                         }
                     });
    if (auto* emulator = dynamic_cast<emu::Emulator*>(backend.get())) {
        QObject::connect(&instance, &app::SingleInstance::commandReceived, &window,
                         [emulator](const QString& verb, const QString& device) {
                             emulatorCommand(*emulator, verb, device);
                         });
    }
    window.applyStartLanguage();
    window.start(options.background ? app::StartMode::Background : app::StartMode::Window);
    // The session's device service: halvernctl and other programs reach the devices through it.
    app::DeviceService service(window.deviceList().manager(), *backend);
    if (QString problem; !service.start(QDBusConnection::sessionBus(), problem)) {
        qWarning("halvern: the device service is not on the session bus: %s", qPrintable(problem));
    }
    // RGB programs, when the user lets them control the lights.
    app::RgbService rgb(service, [] {
        const QSize size = ui::MousePage::screenPixels();
        return std::pair{size.width(), size.height()};
    });
    if (QString problem; !rgb.apply(ReadRgbServerSettings(SettingsFile()), problem)) {
        qWarning("halvern: RGB programs cannot connect: %s", qPrintable(problem));
    }
    window.rgbServerChanged = [&rgb](const RgbServerSettings& settings, QString& problem) {
        return rgb.apply(settings, problem);
    };
    QObject::connect(&rgb, &app::RgbService::driversChanged, &window,
                     [&window, &rgb] { window.setLightDrivers(rgb.drivers()); });
    window.uiTasks().setAfterTasks([&service, &rgb] {
        service.stateMayHaveChanged();
        rgb.devicesMayHaveChanged();
    });
    QObject::connect(&window, &app::MainWindow::exitRequested, &app, [&] {
        // A command carried out for another program may be waiting for its device in a nested event loop,
        // holding the window's device objects: quitting ends its waits (it ends as given up), and the
        // devices close after it returned, below.
        if (!service.commandRunning()) {
            rgb.stop();  // the RGB programs leave while the devices can still take their own light back
            window.shutdown();
        }
        QApplication::quit();
    });
    window.startSoundCompanion(app::soundCompanionProgram());
    const int code = QApplication::exec();
    window.uiTasks().setAfterTasks({});
    rgb.stop();
    window.shutdown();
    return code;
}
