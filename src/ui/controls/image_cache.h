#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace halvern::ui {

/// An image of the skin folder (PNG or SVG, a plain file name or a path) at the given logical size and
/// device pixel ratio (sharp on a scaled screen), rendered once per name, size and ratio; a null pixmap
/// when it cannot be read.
[[nodiscard]] QPixmap cachedImage(const QString& name, QSize size, qreal devicePixelRatio = 0);

/// The folder relative image names are looked up in.
void setImageFolder(const QString& folder);

}  // namespace halvern::ui
