#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace halvern::app {

/// One running copy per user. The first copy holds a lock file in the runtime folder and listens on a
/// local socket; a later copy finds the lock taken, sends the instance message "Halvern" (wParam 0,
/// lParam 1) to the first one and exits. A later copy started in the background tells the first one nothing.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    /// `name` distinguishes test instances from the real one ("Halvern" in the program).
    explicit SingleInstance(const QString& name = QStringLiteral("Halvern"), QObject* parent = nullptr);
    ~SingleInstance() override;

    /// True when this process is the first copy (and now owns the instance). Otherwise the running copy
    /// has been signalled, unless `signalRunningCopy` is false (a second start in the background, which
    /// leaves the running copy's window as it is).
    bool acquire(bool signalRunningCopy = true);

    static constexpr const char* kInstanceMessage = "Halvern";
    /// The local socket of the running copy named `name`: one line per message, "<name> <wParam> <lParam>",
    /// or a command "<verb> <argument>".
    [[nodiscard]] static QString socketPath(const QString& name = QStringLiteral("Halvern"));

signals:
    /// A message reached the first copy: the instance message with its wParam and lParam.
    void messageReceived(const QString& name, qintptr wParam, qintptr lParam);
    /// A command line ("plug mouse", "unplug keyboard-receiver"): used to drive the emulator from outside.
    void commandReceived(const QString& verb, const QString& argument);

private:
    [[nodiscard]] QString socketName() const;
    void sendInstanceMessage() const;

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

}  // namespace halvern::app
