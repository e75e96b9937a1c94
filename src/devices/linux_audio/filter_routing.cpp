#include "devices/linux_audio/filter_routing.h"

#include <algorithm>

#include "device/debug_sink.h"

namespace halvern::audio {
namespace {

std::optional<uint32_t> indexOf(const std::optional<std::vector<PulseClient::Node>>& nodes,
                                const std::string& name) {
    if (!nodes) return std::nullopt;
    const auto it =
        std::find_if(nodes->begin(), nodes->end(), [&name](const auto& n) { return n.name == name; });
    if (it == nodes->end()) return std::nullopt;
    return it->index;
}

}  // namespace

void movePlayback(PulseClient& client, const std::string& from, const std::string& to,
                  PulseClient::Deadline deadline) {
    if (client.defaultSink(deadline) == from && !client.makeDefaultSink(to, deadline))
        debugLog("the default output could not follow the headset's filters");
    const auto sink = indexOf(client.sinks(deadline), from);
    const auto streams = client.streams(deadline);
    if (!sink || !streams) return;
    for (const PulseClient::Stream& stream : *streams) {
        if (stream.sink != *sink || stream.ownerModule != PulseClient::kNoIndex || stream.filter) continue;
        if (!client.moveStream(stream.index, to, deadline))
            debugLog("a stream could not follow the headset's filters");
    }
}

void moveRecording(PulseClient& client, const std::string& from, const std::string& to,
                   PulseClient::Deadline deadline) {
    if (client.defaultSource(deadline) == from && !client.makeDefaultSource(to, deadline))
        debugLog("the default input could not follow the headset's microphone filters");
    const auto source = indexOf(client.sources(deadline), from);
    const auto recordings = client.recordings(deadline);
    if (!source || !recordings) return;
    for (const PulseClient::Recording& recording : *recordings) {
        if (recording.source != *source || recording.ownerModule != PulseClient::kNoIndex) continue;
        if (!client.moveRecording(recording.index, to, deadline))
            debugLog("a recording could not follow the headset's microphone filters");
    }
}

}  // namespace halvern::audio
