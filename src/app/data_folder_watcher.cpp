#include "app/data_folder_watcher.h"

namespace halvern::app {

DataFolderWatcher::DataFolderWatcher(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &DataFolderWatcher::noteChange);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        const QSet<QString> changed = std::exchange(m_changed, {});
        for (const QString& folder : changed) emit folderChanged(folder);
    });
}

void DataFolderWatcher::watch(const QString& folder) {
    if (folder.isEmpty() || m_watcher.directories().contains(folder)) return;
    (void)m_watcher.addPath(folder);  // a folder that cannot be watched is simply not followed
}

void DataFolderWatcher::noteChange(const QString& folder) {
    m_changed.insert(folder);
    m_settle.start();
}

}  // namespace halvern::app
