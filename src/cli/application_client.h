#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace halvern::cli {

/// Hands a command line to the running application over the session bus, which carries it out on the
/// devices it holds, and prints what it answered. Nothing when no application runs (or no session bus
/// exists): halvernctl then opens the devices itself. Never starts the application.
[[nodiscard]] std::optional<int> runInApplication(const std::vector<std::string>& words, std::ostream& out,
                                                  std::ostream& err);

}  // namespace halvern::cli
