#include "ui/toolkit/plain_text.h"

#include <QTextDocument>

namespace halvern::ui {

QString plainToolTip(const QString& text) {
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

}  // namespace halvern::ui
