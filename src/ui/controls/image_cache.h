#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace halvern::ui {

/// An image of the skin folder (PNG or SVG, a plain file name or a path) at the given size, rendered
/// once per name and size; a null pixmap when it cannot be read.
[[nodiscard]] QPixmap cachedImage(const QString& name, QSize size);

/// The folder relative image names are looked up in.
void setImageFolder(const QString& folder);

}  // namespace halvern::ui
