#pragma once

#include <QString>
#include <optional>

namespace halvern::ui {

/// A control name split at its last "_": the prefix keeps the "_" ("DPI_slider_"), the index is the
/// decimal number after it (2).
struct NameSplit {
    QString prefix;
    int index = 0;
};

/// Nothing when the name has no "_" or what follows the last one is not a non-negative decimal number.
[[nodiscard]] std::optional<NameSplit> splitName(const QString& name);

}  // namespace halvern::ui
