#include "ui/toolkit/save_file.h"

#include <QFileDialog>
#include <QFileInfo>

namespace halvern::ui {

QString withExtension(const QString& path, const QString& extension) {
    if (path.isEmpty() || QFileInfo(path).fileName().endsWith(extension, Qt::CaseInsensitive)) return path;
    return path + extension;
}

QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& extension) {
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(extension.mid(1));  // the dialog's suffix has no dot
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    // The dialog adds its suffix only to a name without any; "game.v2" still needs the extension.
    return withExtension(dialog.selectedFiles().constFirst(), extension);
}

}  // namespace halvern::ui
