#pragma once

// How halvernctl numbers what people count: stages, guns, shots, presets, voices, custom equalisers,
// bands, macros, rows, profiles, languages, buttons and keys are numbered from 1, as the window shows them,
// in decimal. Inside, the commands hold the 0-based index.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace halvern::cli {

/// The 0-based index that the 1-based number `text` names among `count` things; nothing, with
/// "WHAT takes 1-COUNT, not 'TEXT'" (or "WHAT 'TEXT' names nothing: the list is empty") in `problem`, when
/// `text` is not a decimal number from 1 to `count`.
[[nodiscard]] std::optional<size_t> parseOrdinal(std::string_view text, std::string_view what, size_t count,
                                                 std::string& problem);

/// The problem parseOrdinal names for `text`.
[[nodiscard]] std::string ordinalProblem(std::string_view text, std::string_view what, size_t count);

/// The number shown for a 0-based index.
[[nodiscard]] constexpr long ordinal(size_t index) {
    return static_cast<long>(index) + 1;
}
[[nodiscard]] inline std::string ordinalText(size_t index) {
    return std::to_string(ordinal(index));
}

}  // namespace halvern::cli
