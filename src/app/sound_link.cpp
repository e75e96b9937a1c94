#include "app/sound_link.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace halvern::app {

namespace {

/// A companion that ran at least this long had sound to work on; the next restart is quick again.
constexpr qint64 kSettledMs = 5000;

}  // namespace

QString soundCompanionProgram() {
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {QStringLiteral("halvern-sound"), QStringLiteral("../sound_companion/halvern-sound")}) {
        const QFileInfo file(here.filePath(candidate));
        if (file.isExecutable()) return file.canonicalFilePath();
    }
    return QStringLiteral("halvern-sound");  // from PATH
}

SoundLink::SoundLink(QString program, SoundLinkHooks hooks, QStringList arguments, QObject* parent)
    : QObject(parent),
      m_program(std::move(program)),
      m_arguments(std::move(arguments)),
      m_hooks(std::move(hooks)) {
    m_restart.setSingleShot(true);
    connect(&m_restart, &QTimer::timeout, this, &SoundLink::launch);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The companion writes one line once it listens: the moment to connect, without polling.
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_process.readAllStandardOutput();
        if (!m_client.connected()) connectToCompanion();
    });
    connect(&m_process, &QProcess::started, this, [this] { m_running.start(); });
    connect(&m_process, &QProcess::finished, this, &SoundLink::companionEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        if (!m_failureShown && m_hooks.launchFailed) m_hooks.launchFailed();
        m_failureShown = true;
        companionEnded();
    });
}

SoundLink::~SoundLink() {
    stop();
    // Leave the companion a moment to end by itself after the leave-taking.
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(500)) {
        m_process.kill();
        if (!m_process.waitForFinished(500)) qWarning("halvern: the sound companion does not end");
    }
}

void SoundLink::start() {
    std::string error;
    if (m_client.connect(error)) {
        watchConnection();
        return;
    }
    launch();
}

void SoundLink::stop() {
    m_stopping = true;
    m_restart.stop();
    m_notifier.reset();
    if (m_client.connected()) m_client.takeLeave();
}

void SoundLink::launch() {
    if (m_stopping || m_process.state() != QProcess::NotRunning) return;
    m_process.start(m_program, m_arguments);
}

void SoundLink::connectToCompanion() {
    std::string error;
    if (!m_client.connect(error)) {
        qWarning("halvern: %s", error.c_str());
        return;
    }
    watchConnection();
}

void SoundLink::watchConnection() {
    m_notifier = std::make_unique<QSocketNotifier>(m_client.fd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SoundLink::readMessages);
    if (m_hooks.greeted) m_hooks.greeted();
}

void SoundLink::readMessages() {
    for (;;) {
        switch (m_client.receive()) {
            case CompanionClient::Received::Nothing:
                return;
            case CompanionClient::Received::Refused:
                continue;
            case CompanionClient::Received::Gone:
                dropConnection();
                return;
            case CompanionClient::Received::Message:
                break;
        }
        if (m_client.kind() == companion::kRawBlock) {
            const auto delivery = m_intake.takeRawBlock(m_client.content(), m_hooks.selectedTypeCode());
            if (delivery.target != AudioLevelTarget::None) m_hooks.levels(delivery.target, delivery.levels);
        } else if (m_client.kind() == companion::kSixValueBlock) {
            const auto six = m_intake.takeSixValueBlock(m_client.content());
            if (!six.empty()) m_hooks.sixValues(six);
        }
    }
}

void SoundLink::dropConnection() {
    m_notifier.reset();
    // A companion we did not start (or one that lost its process watch) is looked for again shortly.
    if (!m_stopping && m_process.state() == QProcess::NotRunning) m_restart.start(m_restartMs);
}

void SoundLink::companionEnded() {
    m_notifier.reset();
    if (m_client.connected()) m_client.takeLeave();
    if (m_stopping) return;
    // The restart waits about a second; a companion that keeps ending at once waits twice as long each time.
    if (m_running.isValid() && m_running.elapsed() >= kSettledMs) m_restartMs = kRestartMs;
    m_running.invalidate();
    m_restart.start(m_restartMs);
    m_restartMs = std::min(m_restartMs * 2, kLongestRestartMs);
}

void SoundLink::sendStyleColour(int32_t red, int32_t green, int32_t blue) {
    if (m_client.connected() && !m_client.sendStyleColour(red, green, blue)) dropConnection();
}

void SoundLink::sendColourSlider(int channel, int32_t value) {
    if (!m_client.connected() || channel < 0 || channel > 2) return;
    if (!m_client.sendNotice(companion::notice::kRedSlider + channel, value)) dropConnection();
}

}  // namespace halvern::app
