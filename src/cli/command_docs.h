#pragma once

#include <string>

namespace halvern::cli {

// The manual page's command section and the bash completion, written from the command table when the
// program is built.

/// The COMMANDS section of halvernctl(1) in man(7) markup, from ".SH COMMANDS" on.
[[nodiscard]] std::string manCommandSection();

/// The manual page: `page` with its line "@COMMANDS@" replaced by the command section and every
/// "@PROJECT_VERSION@" by `version`.
[[nodiscard]] std::string manPage(std::string_view page, std::string_view version);

/// The bash completion script: commands, their first words, options and option values, files where a
/// command takes a FILE.
[[nodiscard]] std::string bashCompletion();

}  // namespace halvern::cli
