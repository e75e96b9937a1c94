#include "ui/controls/attribute_text.h"

#include <QMetaProperty>
#include <QVariant>

namespace halvern::ui {
namespace {

bool exactNames(const QMetaObject& meta) {
    const int index = meta.indexOfClassInfo("AttributeNames");
    return index >= 0 && qstrcmp(meta.classInfo(index).value(), "exact") == 0;
}

std::optional<QMetaProperty> findProperty(const QMetaObject& meta, QStringView name) {
    const Qt::CaseSensitivity cs = exactNames(meta) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < meta.propertyCount(); ++i) {
        const QMetaProperty property = meta.property(i);
        if (property.isWritable() && name.compare(QLatin1String(property.name()), cs) == 0) return property;
    }
    return std::nullopt;
}

std::optional<QVariant> convert(const QString& value, QMetaType type) {
    switch (type.id()) {
        case QMetaType::QString:
            return QVariant(value);
        case QMetaType::Bool:
            return QVariant(value == QLatin1String("true"));
        case QMetaType::Int:
            if (auto number = parseIntText(value)) return QVariant(*number);
            return std::nullopt;
        case QMetaType::QColor:
            if (auto colour = parseColourText(value)) return QVariant(*colour);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<QColor> parseColourText(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(u'#'))
        text = text.mid(1);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.size() != 6 && text.size() != 8) return std::nullopt;
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    QColor colour = QColor::fromRgb(static_cast<QRgb>(value));
    colour.setAlpha(text.size() == 8 ? static_cast<int>(value >> 24) : 255);
    return colour;
}

std::optional<int> parseIntText(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

bool applyAttribute(QObject& control, QStringView name, const QString& value) {
    const auto property = findProperty(*control.metaObject(), name);
    if (!property) return false;
    const auto converted = convert(value, property->metaType());
    return converted && property->write(&control, *converted);
}

}  // namespace halvern::ui
