#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halvern::cli {

/// `halvernctl effect DEVICE MODE [options]`: computes successive frames of a light effect offline, from a
/// fresh engine after the mode's start action, one effect step per frame, and prints each frame as one
/// line of LEDs (eight hex digits: red, green, blue, level), or as JSON arrays with --json.
/// Returns kExitOk, or kExitUsage with one line on `err`.
int runEffectCommand(const std::vector<std::string>& args, bool json, std::ostream& out, std::ostream& err);

}  // namespace halvern::cli
