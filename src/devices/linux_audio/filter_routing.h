#pragma once

#include <string>

#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// Moves the programs playing on the sink `from` to the sink `to`, and the default output with them when
/// it was `from`. Streams of modules (filters, loopbacks) and of our own filter
/// chains stay where they are. What could not be moved is
/// logged; the rest still moves.
void movePlayback(PulseClient& client, const std::string& from, const std::string& to,
                  PulseClient::Deadline deadline);

/// The same for the programs recording from the source `from`, and the default input.
void moveRecording(PulseClient& client, const std::string& from, const std::string& to,
                   PulseClient::Deadline deadline);

}  // namespace halvern::audio
