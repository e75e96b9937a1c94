#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvern {

// Naming rules of the profile list. Names compare ignoring ASCII case.

/// True when a name other than the one at `except` (pass -1 for none) equals `name`.
[[nodiscard]] bool ContainsName(const std::vector<std::string>& names, std::string_view name,
                                int except = -1);

/// The first of "profile1", "profile2", ... that no entry has.
[[nodiscard]] std::string NewProfileName(const std::vector<std::string>& names);

/// "<source> copy", then "<source> copy copy", ... until no entry has it.
[[nodiscard]] std::string CopyProfileName(const std::vector<std::string>& names, std::string_view source);

/// `base`, or while taken, the name with "(1)", then "(2)", ... appended in turn ("A(1)", "A(1)(2)").
[[nodiscard]] std::string ImportProfileName(const std::vector<std::string>& names, std::string_view base);

}  // namespace halvern
