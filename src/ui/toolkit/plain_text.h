#pragma once

#include <QString>

namespace halvern::ui {

/// A tooltip that shows `text` as it is. Qt takes a tooltip that looks like markup for rich text, so a
/// user's name such as "<b>x</b>" would show bold; this one is escaped markup of the plain text.
[[nodiscard]] QString plainToolTip(const QString& text);

}  // namespace halvern::ui
