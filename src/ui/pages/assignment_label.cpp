#include "ui/pages/assignment_label.h"

#include <QStringList>

#include "input/assignment_text.h"
#include "input/key_tables.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

QString translate(std::string_view id, const LanguageTexts* texts) {
    const QString key = QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()));
    return texts ? texts->text(key) : key;
}

}  // namespace

std::optional<QString> assignmentLabel(const KeyAssignment& a, std::span<const std::string> macroNames,
                                       const LanguageTexts* texts) {
    const auto found = AssignmentTextFor(a.type, a.code1, a.code2, macroNames);
    if (!found) return std::nullopt;
    if (found->textIds.empty()) return QString::fromStdString(found->literal);
    QStringList parts;
    for (std::string_view id : found->textIds) parts << translate(id, texts);
    return parts.join(QLatin1Char('+'));
}

std::optional<QString> keyboardAssignmentLabel(const KeyAssignment& a,
                                               std::span<const std::string> macroNames,
                                               const LanguageTexts* texts) {
    if (a.type == assign_type::kRecoil) return QStringLiteral("关闭");
    if (a.type == assign_type::kMacroKey) {
        const QString name = keyCodeName(a.type, a.code1, a.code2, texts);
        if (name.isEmpty()) return std::nullopt;
        return name;
    }
    return assignmentLabel(a, macroNames, texts);
}

QString keyCodeNameId(uint8_t type, uint8_t c1, uint8_t c2) {
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.type == type && row.code1 == c1 && row.code2 == c2)
            return QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()));
    }
    return {};
}

QString keyCodeName(uint8_t type, uint8_t c1, uint8_t c2, const LanguageTexts* texts) {
    const QString id = keyCodeNameId(type, c1, c2);
    if (id.isEmpty()) return {};
    return texts ? texts->text(id) : id;
}

}  // namespace halvern::ui
