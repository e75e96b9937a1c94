#include "app/service/device_service.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <sstream>

#include "app/device_manager.h"
#include "app/service/device_properties.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/service_names.h"
#include "device/supported_devices.h"
#include "profile/data_folders.h"

namespace halvern::app {
namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr size_t kMaxWords = 256;

/// The start of every object's introspection: the standard interfaces every object has.
constexpr const char* kIntrospectionHead =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
    "<node>\n"
    "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
    "    <method name=\"Introspect\"><arg name=\"xml\" type=\"s\" direction=\"out\"/></method>\n"
    "  </interface>\n"
    "  <interface name=\"org.freedesktop.DBus.Properties\">\n"
    "    <method name=\"Get\"><arg name=\"interface\" type=\"s\" direction=\"in\"/>"
    "<arg name=\"name\" type=\"s\" direction=\"in\"/><arg name=\"value\" type=\"v\" "
    "direction=\"out\"/></method>\n"
    "    <method name=\"GetAll\"><arg name=\"interface\" type=\"s\" direction=\"in\"/>"
    "<arg name=\"properties\" type=\"a{sv}\" direction=\"out\"/></method>\n"
    "    <method name=\"Set\"><arg name=\"interface\" type=\"s\" direction=\"in\"/>"
    "<arg name=\"name\" type=\"s\" direction=\"in\"/><arg name=\"value\" type=\"v\" "
    "direction=\"in\"/></method>\n"
    "    <signal name=\"PropertiesChanged\"><arg name=\"interface\" type=\"s\"/>"
    "<arg name=\"changed\" type=\"a{sv}\"/><arg name=\"invalidated\" type=\"as\"/></signal>\n"
    "  </interface>\n";
constexpr qsizetype kMaxWordLength = 4096;

const QString kDevicesPath = QString::fromLatin1(service::kManagerPath) + QStringLiteral("/devices");

QString devicePath(const DeviceKindInfo& kind) {
    return kDevicesPath + QLatin1Char('/') + QString::fromUtf8(kind.name.data(), qsizetype(kind.name.size()));
}

/// The XML of `interface` out of the interface file; empty when the file lacks it.
QString interfaceXml(const QString& all, const QString& interface) {
    const qsizetype start = all.indexOf(QStringLiteral("<interface name=\"%1\">").arg(interface));
    if (start < 0) return {};
    const QString end = QStringLiteral("</interface>");
    const qsizetype stop = all.indexOf(end, start);
    return stop < 0 ? QString() : all.mid(start, stop + end.size() - start) + QLatin1Char('\n');
}

/// The first line of what a command said on its error stream, for a D-Bus error's text: without the
/// command's usage line, which names command-line words the bus does not take.
QString firstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    line = line.substr(0, line.find("; usage: "));
    return QString::fromStdString(line);
}

}  // namespace

DeviceService::DeviceService(DeviceManager& devices, HidBackend& backend, QObject* parent)
    : QDBusVirtualObject(parent), m_devices(devices), m_backend(backend) {
    dbus::registerBusTypes();
    QFile file(QString::fromStdString((GetResourceFolder() / "dbus" / "org.halvern.Halvern1.xml").string()));
    if (file.open(QIODevice::ReadOnly)) m_introspection = QString::fromUtf8(file.read(1 << 20));
}

DeviceService::~DeviceService() {
    if (m_bus.isConnected()) {
        m_bus.unregisterObject(QString::fromLatin1(service::kManagerPath), QDBusConnection::UnregisterTree);
        (void)m_bus.unregisterService(QString::fromLatin1(service::kBusName));
    }
}

bool DeviceService::start(QDBusConnection bus, QString& problem) {
    if (!bus.isConnected()) {
        problem = QStringLiteral("there is no session bus");
        return false;
    }
    if (!bus.registerVirtualObject(QString::fromLatin1(service::kManagerPath), this,
                                   QDBusConnection::SubPath)) {
        problem = QStringLiteral("the service's objects could not be registered");
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(service::kBusName))) {
        bus.unregisterObject(QString::fromLatin1(service::kManagerPath), QDBusConnection::UnregisterTree);
        problem =
            QStringLiteral("another program holds the name %1").arg(QString::fromLatin1(service::kBusName));
        return false;
    }
    m_bus = bus;
    publishChanges();
    return true;
}

void DeviceService::stateMayHaveChanged() {
    if (m_comparePending || !m_bus.isConnected()) return;
    m_comparePending = true;
    QTimer::singleShot(0, this, [this] { publishChanges(); });
}

CMerivexUSBDevice* DeviceService::find(const DeviceKindInfo& kind, cli::FoundDevice& found) {
    ManagedDevice* managed = m_devices.activeDevice(kind.cableType);
    if (!managed) return nullptr;
    CommandChannel& channel = managed->device->commandChannel();
    const bool viaReceiver = channel.receiverMode();
    const HidInterface& hid = viaReceiver ? channel.receiverInterface() : channel.cableInterface();
    found.viaReceiver = viaReceiver;
    found.command.path = hid.path();
    found.command.attributes = hid.attributes();
    found.command.typeCode = viaReceiver ? kind.receiverType : kind.cableType;
    found.command.role = interface_role::kCommand;
    found.command.slot = -1;
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        if (kInterfaceTable[i].typeCode == found.command.typeCode &&
            kInterfaceTable[i].role == interface_role::kCommand) {
            found.command.slot = static_cast<int>(i);
            break;
        }
    }
    return managed->device.get();
}

QString DeviceService::introspect(const QString& path) const {
    if (path == QLatin1String(service::kManagerPath)) {
        return interfaceXml(m_introspection, QString::fromLatin1(service::kManagerInterface)) +
               QStringLiteral("<node name=\"devices\"/>\n");
    }
    if (path == kDevicesPath) {
        QString nodes;
        for (const auto& [objectPath, published] : m_published)
            nodes += QStringLiteral("<node name=\"%1\"/>\n").arg(objectPath.section(QLatin1Char('/'), -1));
        return nodes;
    }
    const auto it = m_published.find(path);
    if (it == m_published.end()) return {};
    QString xml;
    for (const char* interface :
         {service::kDeviceInterface, service::kLightingInterface, service::kMouseInterface,
          service::kKeyboardInterface, service::kHeadsetInterface}) {
        if (dbus::kindHasInterface(interface, it->second.kind->name))
            xml += interfaceXml(m_introspection, QString::fromLatin1(interface));
    }
    return xml;
}

bool DeviceService::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    const QString path = message.path();
    if (message.interface() == QLatin1String("org.freedesktop.DBus.Introspectable") &&
        message.member() == QLatin1String("Introspect")) {
        m_bus.send(message.createReply(QString::fromLatin1(kIntrospectionHead) + introspect(path) +
                                       QStringLiteral("</node>\n")));
        return true;
    }
    if (path == QLatin1String(service::kManagerPath)) return handleManager(message);
    for (const DeviceKindInfo& k : deviceKindInfos()) {
        const DeviceKindInfo* kind = &k;
        const std::string_view name = k.name;
        if (path != devicePath(*kind)) continue;
        cli::FoundDevice found;
        if (!find(*kind, found)) {
            sendError(message, "NotAttached",
                      QStringLiteral("no %1 is attached")
                          .arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
            return true;
        }
        return handleDevice(message, *kind);
    }
    return false;
}

bool DeviceService::handleManager(const QDBusMessage& message) {
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    if (message.interface() == QLatin1String(kPropertiesInterface)) {
        const QVariantMap properties = managerProperties();
        if (member == QLatin1String("GetAll")) {
            m_bus.send(message.createReply(properties));
        } else if (member == QLatin1String("Get") && args.size() == 2 &&
                   properties.contains(args[1].toString())) {
            m_bus.send(
                message.createReply(QVariant::fromValue(QDBusVariant(properties.value(args[1].toString())))));
        } else if (member == QLatin1String("Set")) {
            m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                                QStringLiteral("the manager's properties are read-only")));
        } else {
            m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                                QStringLiteral("no such property")));
        }
        return true;
    }
    if (member == QLatin1String("RunCommand") && message.signature() == QLatin1String("ass")) {
        const QStringList words = args[0].toStringList();
        if (static_cast<size_t>(words.size()) > kMaxWords ||
            std::any_of(words.begin(), words.end(),
                        [](const QString& w) { return w.size() > kMaxWordLength; })) {
            sendError(message, "InvalidArgument", QStringLiteral("the command line is too long"));
            return true;
        }
        Command command;
        for (const QString& word : words) command.words.push_back(word.toStdString());
        command.cwd = args[1].toString();
        message.setDelayedReply(true);
        command.done = [this, message](int code, const std::string& out, const std::string& err) {
            m_bus.send(message.createReply({code, QString::fromStdString(out), QString::fromStdString(err)}));
        };
        queue(std::move(command), message);
        return true;
    }
    if (member == QLatin1String("SameMode") && message.signature() == QLatin1String("s")) {
        queueChange(message, {"same-mode", "--from", args[0].toString().toStdString()});
        return true;
    }
    m_bus.send(message.createErrorReply(
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("no method %1 with arguments (%2)").arg(member, message.signature())));
    return true;
}

bool DeviceService::handleDevice(const QDBusMessage& message, const DeviceKindInfo& kind) {
    const QString member = message.member();
    const QString interface = message.interface();
    if (interface == QLatin1String(kPropertiesInterface)) {
        if (member == QLatin1String("Get") && message.signature() == QLatin1String("ss")) {
            handleGet(message, kind, false);
        } else if (member == QLatin1String("GetAll") && message.signature() == QLatin1String("s")) {
            handleGet(message, kind, true);
        } else if (member == QLatin1String("Set") && message.signature() == QLatin1String("ssv")) {
            handleSet(message, kind);
        } else {
            return false;
        }
        return true;
    }
    cli::FoundDevice found;
    CMerivexUSBDevice* device = find(kind, found);
    if (member == QLatin1String("SetLighting") && message.signature() == QLatin1String("a{sv}")) {
        const QVariantMap settings = qdbus_cast<QVariantMap>(message.arguments().at(0));
        std::string problem;
        const dbus::PropertySource source{*device, kind, found, m_texts};
        auto words = dbus::lightingWords(source, settings, problem);
        if (!words) {
            sendError(message, "InvalidArgument", QString::fromStdString(problem));
            return true;
        }
        queueChange(message, std::move(*words));
        return true;
    }
    if (member == QLatin1String("SetDpiStage") && message.signature() == QLatin1String("uub") &&
        kind.name == "mouse") {
        const QList<QVariant> args = message.arguments();
        queueChange(message, dbus::dpiStageWords(args[0].toUInt(), args[1].toUInt(), args[2].toBool()));
        return true;
    }
    m_bus.send(message.createErrorReply(
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("no method %1 with arguments (%2)").arg(member, message.signature())));
    return true;
}

void DeviceService::handleGet(const QDBusMessage& message, const DeviceKindInfo& kind, bool all) {
    const QString interface = message.arguments().at(0).toString();
    const std::map<QString, QVariant> values = readProperties(kind);
    if (all) {
        QVariantMap properties;
        const QString prefix = interface + QLatin1Char('.');
        for (const auto& [key, value] : values) {
            if (key.startsWith(prefix)) properties.insert(key.mid(prefix.size()), value);
        }
        m_bus.send(message.createReply(properties));
        return;
    }
    const auto it = values.find(interface + QLatin1Char('.') + message.arguments().at(1).toString());
    if (it == values.end()) {
        m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                            QStringLiteral("no such property")));
        return;
    }
    m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(it->second))));
}

void DeviceService::handleSet(const QDBusMessage& message, const DeviceKindInfo& kind) {
    const QList<QVariant> args = message.arguments();
    const dbus::PropertyRow* row = dbus::findProperty(args[0].toString(), args[1].toString());
    if (!row || !dbus::kindHas(*row, kind.name)) {
        m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                            QStringLiteral("no such property")));
        return;
    }
    if (!row->write) {
        m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                            QStringLiteral("%1 is read-only").arg(args[1].toString())));
        return;
    }
    cli::FoundDevice found;
    CMerivexUSBDevice* device = find(kind, found);
    const dbus::PropertySource source{*device, kind, found, m_texts};
    std::string problem;
    auto words = row->write(source, args[2].value<QDBusVariant>().variant(), problem);
    if (!words) {
        sendError(message, "InvalidArgument", QString::fromStdString(problem));
        return;
    }
    queueChange(message, std::move(*words));
}

void DeviceService::queueChange(const QDBusMessage& message, std::vector<std::string> words) {
    Command command;
    command.words = std::move(words);
    message.setDelayedReply(true);
    command.done = [this, message](int code, const std::string&, const std::string& err) {
        if (code == cli::kExitOk) {
            m_bus.send(message.createReply());
            return;
        }
        const char* name = code == cli::kExitUsage                         ? "InvalidArgument"
                           : err.find(" is attached") != std::string::npos ? "NotAttached"
                                                                           : "Refused";
        sendError(message, name, firstLine(err));
    };
    queue(std::move(command), message);
}

void DeviceService::queue(Command command, const QDBusMessage& message) {
    if (m_commands.size() >= kMaxWaitingCommands) {
        sendError(message, "Busy", QStringLiteral("too many requests are waiting; try again"));
        return;
    }
    m_commands.push_back(std::move(command));
    if (!m_running) QTimer::singleShot(0, this, [this] { runNext(); });
}

void DeviceService::runNext() {
    if (m_running || m_commands.empty()) return;
    m_running = true;
    Command command = std::move(m_commands.front());
    m_commands.pop_front();

    // Relative file names in the command start where halvernctl was started.
    const QString home = QDir::currentPath();
    const bool moved = !command.cwd.isEmpty() && QDir(command.cwd).exists() && QDir::setCurrent(command.cwd);
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::runCommandLine(command.words, out, err, {&m_backend, this});
    if (moved) (void)QDir::setCurrent(home);

    // The window shows what the command changed.
    for (const DeviceKindInfo& kind : deviceKindInfos()) {
        cli::FoundDevice found;
        if (CMerivexUSBDevice* device = find(kind, found)) device->ShowSettings();
    }
    publishChanges();
    if (command.done) command.done(code, out.str(), err.str());
    m_running = false;
    if (!m_commands.empty()) QTimer::singleShot(0, this, [this] { runNext(); });
}

QVariantMap DeviceService::managerProperties() const {
    QList<QDBusObjectPath> devices;
    for (const QString& path : devicePaths()) devices.push_back(QDBusObjectPath(path));
    return {{QStringLiteral("ApiVersion"), QVariant::fromValue<uint>(service::kApiVersion)},
            {QStringLiteral("Version"), QStringLiteral(HALVERN_VERSION)},
            {QStringLiteral("Devices"), QVariant::fromValue(devices)}};
}

QStringList DeviceService::devicePaths() const {
    QStringList paths;
    for (const auto& [path, published] : m_published) paths << path;
    return paths;
}

std::map<QString, QVariant> DeviceService::readProperties(const DeviceKindInfo& kind) {
    std::map<QString, QVariant> values;
    cli::FoundDevice found;
    CMerivexUSBDevice* device = find(kind, found);
    if (!device) return values;
    const dbus::PropertySource source{*device, kind, found, m_texts};
    for (const dbus::PropertyRow& row : dbus::deviceProperties()) {
        if (!dbus::kindHas(row, kind.name)) continue;
        const QVariant value = row.read(source);
        if (value.isValid())
            values.emplace(
                QString::fromLatin1(row.interface) + QLatin1Char('.') + QString::fromLatin1(row.name), value);
    }
    return values;
}

void DeviceService::publishChanges() {
    m_comparePending = false;
    if (!m_bus.isConnected()) return;
    const QString manager = QString::fromLatin1(service::kManagerPath);
    bool listChanged = false;
    for (const DeviceKindInfo& k : deviceKindInfos()) {
        const DeviceKindInfo* kind = &k;
        const QString path = devicePath(*kind);
        std::map<QString, QVariant> values = readProperties(*kind);
        const auto it = m_published.find(path);
        if (values.empty()) {
            if (it == m_published.end()) continue;
            m_published.erase(it);
            listChanged = true;
            m_bus.send(QDBusMessage::createSignal(manager, QString::fromLatin1(service::kManagerInterface),
                                                  QStringLiteral("DeviceRemoved"))
                       << QVariant::fromValue(QDBusObjectPath(path)));
            continue;
        }
        if (it == m_published.end()) {
            m_published[path] = Published{kind, std::move(values)};
            listChanged = true;
            m_bus.send(QDBusMessage::createSignal(manager, QString::fromLatin1(service::kManagerInterface),
                                                  QStringLiteral("DeviceAdded"))
                       << QVariant::fromValue(QDBusObjectPath(path)));
            continue;
        }
        // One PropertiesChanged per interface, with what differs from the last one.
        std::map<QString, QVariantMap> changed;
        for (const auto& [key, value] : values) {
            const auto old = it->second.values.find(key);
            if (old != it->second.values.end() && old->second == value) continue;
            const qsizetype dot = key.lastIndexOf(QLatin1Char('.'));
            changed[key.left(dot)].insert(key.mid(dot + 1), value);
        }
        it->second.values = std::move(values);
        for (const auto& [interface, properties] : changed) {
            m_bus.send(QDBusMessage::createSignal(path, QString::fromLatin1(kPropertiesInterface),
                                                  QStringLiteral("PropertiesChanged"))
                       << interface << properties << QStringList());
        }
    }
    if (listChanged) {
        m_bus.send(
            QDBusMessage::createSignal(manager, QString::fromLatin1(kPropertiesInterface),
                                       QStringLiteral("PropertiesChanged"))
            << QString::fromLatin1(service::kManagerInterface)
            << QVariantMap{{QStringLiteral("Devices"), managerProperties().value(QStringLiteral("Devices"))}}
            << QStringList());
    }
}

void DeviceService::sendError(const QDBusMessage& message, const char* name, const QString& text) {
    m_bus.send(message.createErrorReply(
        QString::fromLatin1(service::kErrorPrefix) + QString::fromLatin1(name), text));
}

}  // namespace halvern::app
