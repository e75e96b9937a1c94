#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace halvern {

/// The one rule for names people give (profiles, macros, custom equalisers), in the window and in
/// halvernctl alike: something visible, no control characters (a tab or newline would break the lists
/// that show names one per line, an escape would reach the terminal), valid UTF-8, at most
/// kMaxNameCharacters characters. Names stored before stay; halvernctl shows them through PrintableName.
inline constexpr size_t kMaxNameCharacters = 40;

enum class NameProblem {
    None,
    Blank,             ///< empty, or only white space and invisible characters
    ControlCharacter,  ///< a C0 or C1 control character or DEL, or bytes that are not UTF-8
    TooLong,           ///< more than kMaxNameCharacters characters
};

[[nodiscard]] NameProblem CheckName(std::string_view utf8);

/// The problem in words for one line of halvernctl ("the name holds a control character"). Empty for
/// None.
[[nodiscard]] std::string NameProblemText(NameProblem problem);

/// The name as a terminal line can show it: control characters written as \t, \n, \r, \e or \xHH, so a
/// hand-edited file cannot break a list or drive the terminal. A name without control characters comes
/// back unchanged.
[[nodiscard]] std::string PrintableName(std::string_view utf8);

}  // namespace halvern
