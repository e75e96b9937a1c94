#pragma once

#include <functional>
#include <string_view>

namespace halvern {

/// The program's one diagnostic output. Silent unless HALVERN_DEBUG=1 is set in the environment (then each
/// line goes to stderr), or a test has installed a capture. Safe to call from any thread.
void debugLog(std::string_view line);

/// Replaces the capture that receives every line (whatever HALVERN_DEBUG says); an empty function removes
/// it. Returns the previous capture so a test can restore it.
using DebugCapture = std::function<void(std::string_view)>;
DebugCapture setDebugCapture(DebugCapture capture);

/// True when somebody listens: lets callers skip formatting work nobody will read.
bool debugEnabled();

}  // namespace halvern
