#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QObject>
#include <QString>

namespace halvern::app {

/// The names cooperating programs use to find each other's messages.
namespace message_name {
inline constexpr const char* kInstance = "Halvern";
inline constexpr const char* kSettings = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr const char* kLightControlAnnouncement = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr const char* kLightControlRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr const char* kAudioLight = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
inline constexpr const char* kAudioWindow = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
}  // namespace message_name

/// Messages with cooperating programs on the D-Bus session bus: each is the signal
/// org.halvern.Halvern.Message(name, wParam, lParam) on the object /org/halvern/Halvern, the name being one
/// of the message names above. Also follows the system's sleep through logind. Without a bus, nothing is
/// sent or received and the program runs on alone.
class Cooperation final : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit Cooperation(QObject* parent = nullptr);

    /// Broadcasts a message to every cooperating program.
    void broadcast(const QString& name, qlonglong wParam, qlonglong lParam);
    [[nodiscard]] bool onSessionBus() const { return m_session; }
    /// Hands `data` of data kind `kind` to the program that owns kInventoryService on the session bus
    /// (its method CopyData(int kind, bytes data)), without waiting for it. False, with nothing sent, when
    /// no program owns that name.
    bool sendToInventoryListener(int kind, const QByteArray& data);

    static constexpr const char* kPath = "/org/halvern/Halvern";
    static constexpr const char* kInterface = "org.halvern.Halvern";
    /// The name, object and interface of the program that receives the list of supported devices.
    static constexpr const char* kInventoryService = "org.halvern.VideZavo";
    static constexpr const char* kInventoryPath = "/org/halvern/VideZavo";

signals:
    /// A message from another program (our own broadcasts are not echoed).
    void messageReceived(const QString& name, qlonglong wParam, qlonglong lParam);
    /// logind's PrepareForSleep: true before the system sleeps, false after it resumed.
    void sleeping(bool before);

private slots:
    void onMessage(const QString& name, qlonglong wParam, qlonglong lParam);
    void onPrepareForSleep(bool before);

private:
    bool m_session = false;
};

}  // namespace halvern::app
