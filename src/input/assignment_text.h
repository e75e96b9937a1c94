#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// What a device page shows for a key assignment: either language text ids, to be translated one by one
/// and joined with "+", or a literal text shown as it is (a macro name).
struct AssignmentText {
    std::vector<std::string_view> textIds;
    std::string literal;
    bool operator==(const AssignmentText&) const = default;
};

/// The text of an assignment (type, code bytes) for the device pages' lists of keys and buttons.
/// `macroNames` is the device's macro list in order. Returns nothing when the assignment has no text (an
/// unknown code of a known type, a macro beyond the list, a type kept only for the device).
[[nodiscard]] std::optional<AssignmentText> AssignmentTextFor(uint8_t type, uint8_t c1, uint8_t c2,
                                                              std::span<const std::string> macroNames);

}  // namespace halvern
