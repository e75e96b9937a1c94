#include "cli/application_client.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QStringList>
#include <cstdlib>
#include <filesystem>

#include "cli/cli_support.h"
#include "cli/service_names.h"

namespace halvern::cli {
namespace {

/// How long a command may take in the application: longer than any bound of the device operations it
/// chains (each gives up after a minute), so the application always answers first.
constexpr int kCommandTimeoutMs = 10 * 60 * 1000;

bool noApplication(const QDBusMessage& answer) {
    const QString name = answer.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

}  // namespace

std::optional<int> runInApplication(const std::vector<std::string>& words, std::ostream& out,
                                    std::ostream& err) {
    // Only a session that has a bus is asked: no bus is ever started for it.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    if ((!address || !*address) &&
        (!runtime || !*runtime || !std::filesystem::exists(std::filesystem::path(runtime) / "bus", ignored)))
        return std::nullopt;
    int argc = 1;
    char name[] = "halvernctl";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);  // the bus connection wants one
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;

    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(service::kBusName), QString::fromLatin1(service::kManagerPath),
        QString::fromLatin1(service::kManagerInterface), QStringLiteral("RunCommand"));
    call.setAutoStartService(false);  // halvernctl never starts the application
    QStringList arguments;
    for (const std::string& word : words) arguments << QString::fromStdString(word);
    call << arguments << QDir::currentPath();
    const QDBusMessage answer = bus.call(call, QDBus::Block, kCommandTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        if (noApplication(answer)) return std::nullopt;
        err << "halvernctl: the running Halvern did not carry the command out: "
            << answer.errorMessage().toStdString() << '\n';
        return kExitDeviceError;
    }
    const QList<QVariant> values = answer.arguments();
    // What another program answered: the shape halvernctl expects, and no more text than a command prints.
    constexpr qsizetype kMaxText = qsizetype{16} * 1024 * 1024;
    if (values.size() != 3 || answer.signature() != QLatin1String("iss") ||
        values[1].toString().size() > kMaxText || values[2].toString().size() > kMaxText) {
        err << "halvernctl: the running Halvern gave an answer this program does not understand\n";
        return kExitDeviceError;
    }
    out << values[1].toString().toStdString() << std::flush;
    err << values[2].toString().toStdString() << std::flush;
    return values[0].toInt();
}

}  // namespace halvern::cli
