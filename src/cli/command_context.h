#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "device/hid_backend.h"

namespace halvern::cli {

/// What every halvernctl command gets: where devices come from, the output format and the two streams.
struct CommandContext {
    HidBackend& backend;
    bool json = false;
    std::ostream& out;
    std::ostream& err;
};

using CommandArgs = std::vector<std::string>;

}  // namespace halvern::cli
