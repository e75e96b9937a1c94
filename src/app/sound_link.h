#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "sound/audio_intake.h"
#include "sound/companion_client.h"

namespace halvern::app {

/// What the sound link asks of the application and hands to it.
struct SoundLinkHooks {
    /// Type code of the selected device that is present (0 when none).
    std::function<uint16_t()> selectedTypeCode;
    /// Band values for the first keyboard page (25) or the first mouse page (9).
    std::function<void(AudioLevelTarget, std::span<const int32_t>)> levels;
    /// The six-value block for the first keyboard page.
    std::function<void(std::span<const int32_t>)> sixValues;
    /// The companion cannot be started (said once per run).
    std::function<void()> launchFailed;
    /// A companion has been greeted (optional): the moment to send it the style colour.
    std::function<void()> greeted;
    /// Whether the sound being played can be followed: false when the companion found no sound server to
    /// record from, true again once one has been greeted (optional; called on changes only).
    std::function<void(bool)> soundServerFound;
};

/// Keeps halvern-sound running and linked: starts it, connects when it says it listens, turns its blocks
/// into band values, and starts it again about a second after it ends (later and later while it keeps
/// ending at once, for example with no sound server). Everything is driven by process and socket events.
class SoundLink final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundLink)
public:
    /// `arguments` are for tests and demos (a WAV file instead of the sound being played).
    SoundLink(QString program, SoundLinkHooks hooks, QStringList arguments = {}, QObject* parent = nullptr);
    ~SoundLink() override;

    /// Connects to a companion that already runs, or starts one.
    void start();
    /// Takes leave of the companion; it ends by itself.
    void stop();

    /// The style colour for the six-value block; a green of 0 is sent as 1.
    void sendStyleColour(int32_t red, int32_t green, int32_t blue);
    /// A main-window colour slider moved: `channel` 0, 1, 2 for red, green, blue.
    void sendColourSlider(int channel, int32_t value);

    [[nodiscard]] bool connected() const { return m_client.connected(); }
    /// The companion's process id while it runs, else 0.
    [[nodiscard]] qint64 companionProcessId() const { return m_process.processId(); }

    /// The restart delay after a companion that ran long enough, and the longest delay.
    static constexpr int kRestartMs = 1000;
    /// The companion's exit code when it could not reach a sound server.
    static constexpr int kExitNoSoundServer = 3;
    static constexpr int kLongestRestartMs = 60000;

private:
    void launch();
    void connectToCompanion();
    void watchConnection();
    void readMessages();
    void companionEnded();
    void dropConnection();
    void forwardErrors();
    void soundServerFound(bool found);

    QString m_program;
    QStringList m_arguments;
    SoundLinkHooks m_hooks;
    QProcess m_process;
    QTimer m_restart;
    QElapsedTimer m_running;  // since the companion started
    std::unique_ptr<QSocketNotifier> m_notifier;
    CompanionClient m_client;
    AudioIntake m_intake;
    int m_restartMs = kRestartMs;
    bool m_stopping = false;
    bool m_failureShown = false;
    bool m_serverFound = true;
    QByteArray m_errorLine;  ///< the companion's line being read from its stderr
    QByteArray
        m_lastError;  ///< the last line passed on: a companion restarted for the same reason says it once
};

/// The installed companion beside the running program, or the build tree's.
[[nodiscard]] QString soundCompanionProgram();

}  // namespace halvern::app
