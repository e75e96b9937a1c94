#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringView>
#include <optional>

namespace halvern::ui {

/// A colour written as "#RRGGBB", "#AARRGGBB", "RRGGBB" or "AARRGGBB" (hexadecimal, optional leading "#"
/// or "0x"). Nothing for any other text.
[[nodiscard]] std::optional<QColor> parseColourText(QStringView text);

/// A decimal integer, surrounding blanks allowed. Nothing for any other text or a value beyond int.
[[nodiscard]] std::optional<int> parseIntText(QStringView text);

/// Sets one attribute of a control from its layout text through the control's Qt property of that name.
/// Names are compared without regard to case unless the class declares Q_CLASSINFO("AttributeNames",
/// "exact"). The text is converted to the property's type: integers must be whole decimal numbers, a
/// flag is true exactly for "true", colour properties take the colour forms above; text that does not
/// convert leaves the property as it was. Returns false when no property has the name or the text did not
/// convert.
bool applyAttribute(QObject& control, QStringView name, const QString& value);

}  // namespace halvern::ui
