#include "cli/numbering.h"

#include "cli/cli_support.h"

namespace halvern::cli {

std::string ordinalProblem(std::string_view text, std::string_view what, size_t count) {
    if (count == 0)
        return std::string(what) + " '" + std::string(text) + "' names nothing: the list is empty";
    return std::string(what) + " takes 1-" + std::to_string(count) + ", not '" + std::string(text) + "'";
}

std::optional<size_t> parseOrdinal(std::string_view text, std::string_view what, size_t count,
                                   std::string& problem) {
    const auto number = count > 0 ? parseInteger(text, 1, static_cast<long>(count)) : std::nullopt;
    if (!number) {
        problem = ordinalProblem(text, what, count);
        return std::nullopt;
    }
    return static_cast<size_t>(*number - 1);
}

}  // namespace halvern::cli
