#include "ui/toolkit/name_split.h"

namespace halvern::ui {

std::optional<NameSplit> splitName(const QString& name) {
    const qsizetype underscore = name.lastIndexOf(u'_');
    if (underscore < 0) return std::nullopt;
    const QString digits = name.mid(underscore + 1);
    if (digits.isEmpty() || digits.size() > 9) return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
    }
    return NameSplit{name.left(underscore + 1), digits.toInt()};
}

}  // namespace halvern::ui
