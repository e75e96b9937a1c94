#include "app/sound_link.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <cstdio>

namespace halvern::app {

namespace {

/// A companion that ran at least this long had sound to work on; the next restart is quick again.
constexpr qint64 kSettledMs = 5000;
/// The longest diagnostic line of the companion kept while its end has not come.
constexpr qsizetype kLongestErrorLine = 4096;

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
    // Its diagnostics are passed on, each distinct line once: a companion restarted again and again for the
    // same reason (no sound server) does not fill the log with it.
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&m_process, &QProcess::readyReadStandardError, this, &SoundLink::forwardErrors);
    // The companion writes one line once it listens: the moment to connect, without polling.
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_process.readAllStandardOutput();
        if (!m_client.connected()) connectToCompanion();
    });
    connect(&m_process, &QProcess::started, this, [this] { m_running.start(); });
    connect(&m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        forwardErrors();
        if (status == QProcess::NormalExit && exitCode == kExitNoSoundServer) soundServerFound(false);
        companionEnded();
    });
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

void SoundLink::forwardErrors() {
    m_errorLine += m_process.readAllStandardError();
    for (qsizetype end = m_errorLine.indexOf('\n'); end >= 0; end = m_errorLine.indexOf('\n')) {
        const QByteArray line = m_errorLine.left(end);
        m_errorLine.remove(0, end + 1);
        if (line == m_lastError) continue;
        m_lastError = line;
        std::fprintf(stderr, "%s\n", line.constData());
    }
    // A line without its end is bounded: a companion writing without pause is cut, not stored whole.
    if (m_errorLine.size() > kLongestErrorLine) m_errorLine.clear();
}

void SoundLink::soundServerFound(bool found) {
    if (found == m_serverFound) return;
    m_serverFound = found;
    if (found) m_lastError.clear();  // a later failure is news again
    if (m_hooks.soundServerFound) m_hooks.soundServerFound(found);
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
        if (!m_serverFound) soundServerFound(true);  // blocks come: the companion records the sound again
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
