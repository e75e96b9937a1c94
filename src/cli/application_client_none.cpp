// Built without the toolkit (and with it the session bus): halvernctl always opens the devices itself.

#include "cli/application_client.h"

namespace halvern::cli {

std::optional<int> runInApplication(const std::vector<std::string>&, std::ostream&, std::ostream&) {
    return std::nullopt;
}

}  // namespace halvern::cli
