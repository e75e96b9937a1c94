#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

namespace halvern::app {

/// Notices when files in the devices' data folders change — another program (halvernctl) adding,
/// deleting or selecting profiles, or writing a profile — and reports each changed folder once things have
/// settled (changes come in bursts: a temporary file, then its rename).
class DataFolderWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataFolderWatcher)
public:
    static constexpr int kSettleMs = 250;

    explicit DataFolderWatcher(QObject* parent = nullptr);

    /// Watches `folder` (a device kind's folder of user files); watching it twice does nothing.
    void watch(const QString& folder);

signals:
    /// Files in `folder` were added, removed or replaced.
    void folderChanged(const QString& folder);

private:
    void noteChange(const QString& folder);

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QSet<QString> m_changed;
};

}  // namespace halvern::app
