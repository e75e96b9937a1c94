#pragma once

#include <QString>

class QWidget;

namespace halvern::ui {

/// `path` with `extension` (".mac") appended unless its file name already ends with it, in any letter
/// case. Exports go through this, so the import dialog, which lists only files with the extension, finds
/// what was exported. An empty path stays empty.
[[nodiscard]] QString withExtension(const QString& path, const QString& extension);

/// Asks where to save a file (a save dialog over `owner` listing `filter`). A name typed without
/// `extension` gets it before the dialog asks whether to replace an existing file. Empty when the user
/// cancelled.
[[nodiscard]] QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& extension);

}  // namespace halvern::ui
