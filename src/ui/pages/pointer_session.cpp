#include "ui/pages/pointer_session.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include "desktop/desktop_settings.h"
#include "desktop/x11_pointer_device.h"

namespace halvern::ui {
namespace {

constexpr int kProgramTimeoutMs = 3000;

/// Runs the desktop's settings programs without a shell, each for at most three seconds.
class QtProgramRunner final : public desktop::ProgramRunner {
public:
    [[nodiscard]] bool installed(const std::string& program) const override {
        return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
    }
    [[nodiscard]] std::optional<std::string> run(const std::string& program,
                                                 const std::vector<std::string>& arguments) override {
        QStringList list;
        for (const std::string& a : arguments) list << QString::fromStdString(a);
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QString::fromStdString(program), list);
        if (!process.waitForFinished(kProgramTimeoutMs)) {
            process.kill();
            (void)process.waitForFinished(kProgramTimeoutMs);
            return std::nullopt;
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
        constexpr qint64 kMaxOutput = 4096;  // a setting's value, never more
        return process.read(kMaxOutput).toStdString();
    }
};

}  // namespace

desktop::DesktopSession CurrentDesktopSession() {
    desktop::DesktopSession session;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        // XWayland's input devices are the compositor's stand-ins, not the mouse.
        session.display = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? desktop::DisplayKind::X11
                                                                         : desktop::DisplayKind::Wayland;
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        session.display = desktop::DisplayKind::Wayland;
    }
    session.desktop =
        desktop::DesktopFromXdgCurrentDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString());
    return session;
}

std::unique_ptr<desktop::PointerSettings> MakePointerSettings(const desktop::DesktopSession& session) {
    std::unique_ptr<desktop::PointerTarget> device;
    switch (session.display) {
        case desktop::DisplayKind::X11:
            device = std::make_unique<desktop::X11PointerDevice>();
            break;
        case desktop::DisplayKind::Wayland:
            device = std::make_unique<desktop::UnavailableTarget>("pointer_reason_wayland");
            break;
        case desktop::DisplayKind::None:
            device = std::make_unique<desktop::UnavailableTarget>("pointer_reason_no_x");
            break;
    }
    return std::make_unique<desktop::PointerSettings>(
        std::move(device), std::make_unique<desktop::DesktopPointerSettings>(
                               session.desktop, std::make_unique<QtProgramRunner>()));
}

}  // namespace halvern::ui
