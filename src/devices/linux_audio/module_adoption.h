#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// What an earlier run left of a filter that is one module: `name` with the argument "halvern.role=`role`".
struct LeftModule {
    std::string_view name;
    std::string_view role;
    std::string_view masterKey;  ///< the argument that names what the filter is put on ("master")
    std::string_view what;       ///< names it in the log ("noise suppression")
};

/// Takes over the first such module whose `masterKey` is `master` and removes every other one (a second
/// one only doubles the sound). Its index, or nothing when none is there or the list cannot be read.
[[nodiscard]] std::optional<uint32_t> adoptLeftModule(PulseClient& client, const LeftModule& left,
                                                      const std::string& master,
                                                      PulseClient::Deadline deadline);

/// Forgets `module` when the server no longer has it (someone unloaded it).
void forgetUnloadedModule(PulseClient& client, std::optional<uint32_t>& module,
                          PulseClient::Deadline deadline);

/// Unloads `module` when the server still has it and forgets it; false (and kept) when the unload failed.
[[nodiscard]] bool unloadModule(PulseClient& client, std::optional<uint32_t>& module,
                                PulseClient::Deadline deadline);

}  // namespace halvern::audio
