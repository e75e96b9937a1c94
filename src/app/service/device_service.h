#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariant>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/attached_devices.h"
#include "cli/device_session.h"
#include "cli/names.h"
#include "device/hid_backend.h"

namespace halvern::app {

class DeviceManager;

/// The running application as the session's device service: it owns org.halvern.Halvern1 on the session
/// bus and serves a manager object and one object per attached device. halvernctl hands its command lines
/// to it (RunCommand), and the same command code carries them out here, on the device manager's device
/// objects (those the window shows), one at a time; property writes are command lines too, so the bus,
/// halvernctl and the window keep the same rules. Properties are read from the device objects (what the
/// devices acknowledged); after anything that may change them (a completion handed to the interface thread, a
/// command) they are compared with what was last published and PropertiesChanged goes out for the difference.
///
/// Lives on the interface thread. Commands wait for their devices in a nested event loop (the window and
/// the bus stay answered meanwhile); calls that arrive during one wait their turn.
class DeviceService final : public QDBusVirtualObject, public cli::AttachedDevices {
    Q_OBJECT
public:
    DeviceService(DeviceManager& devices, HidBackend& backend, QObject* parent = nullptr);
    ~DeviceService() override;

    /// Takes the name on `bus` and serves the objects. False, with the reason in `problem`, when there is no
    /// bus or another program holds the name.
    [[nodiscard]] bool start(QDBusConnection bus, QString& problem);

    /// Something may have changed (a device, a setting): the properties are compared once the current
    /// event is handled.
    void stateMayHaveChanged();

    /// Whether a command is being carried out now (it may be waiting for its device).
    [[nodiscard]] bool commandRunning() const { return m_running; }

    /// Commands that may wait for their turn; more are refused as busy.
    static constexpr size_t kMaxWaitingCommands = 256;

    // AttachedDevices
    [[nodiscard]] CMerivexUSBDevice* find(const DeviceKindInfo& kind, cli::FoundDevice& found) override;

    // QDBusVirtualObject
    [[nodiscard]] QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    /// A command line waiting for its turn, and whom to answer.
    struct Command {
        std::vector<std::string> words;
        QString cwd;
        std::function<void(int code, const std::string& out, const std::string& err)> done;
    };
    /// What was last published of one device object, by "interface.name".
    struct Published {
        const DeviceKindInfo* kind = nullptr;
        std::map<QString, QVariant> values;
    };

    [[nodiscard]] bool handleManager(const QDBusMessage& message);
    [[nodiscard]] bool handleDevice(const QDBusMessage& message, const DeviceKindInfo& kind);
    void handleGet(const QDBusMessage& message, const DeviceKindInfo& kind, bool all);
    void handleSet(const QDBusMessage& message, const DeviceKindInfo& kind);
    /// Queues a command line that changes a device; the call is answered when it ends.
    void queueChange(const QDBusMessage& message, std::vector<std::string> words);
    void queue(Command command, const QDBusMessage& message);
    void runNext();
    void publishChanges();
    [[nodiscard]] QVariantMap managerProperties() const;
    [[nodiscard]] std::map<QString, QVariant> readProperties(const DeviceKindInfo& kind);
    [[nodiscard]] QStringList devicePaths() const;
    void sendError(const QDBusMessage& message, const char* name, const QString& text);

    DeviceManager& m_devices;
    HidBackend& m_backend;
    QDBusConnection m_bus{QString()};
    QString m_introspection;  ///< the interfaces' XML, read from the resource folder
    const cli::EnglishTexts m_texts;
    std::deque<Command> m_commands;
    bool m_running = false;
    bool m_comparePending = false;
    std::map<QString, Published> m_published;  ///< by object path
};

}  // namespace halvern::app
