#include "devices/linux_audio/module_adoption.h"

#include "device/debug_sink.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {

std::optional<uint32_t> adoptLeftModule(PulseClient& client, const LeftModule& left,
                                        const std::string& master, PulseClient::Deadline deadline) {
    const auto modules = client.modules(deadline);
    if (!modules) return std::nullopt;
    std::optional<uint32_t> adopted;
    for (const PulseClient::Module& module : *modules) {
        if (module.name != left.name || argumentValue(module.argument, "halvern.role") != left.role) continue;
        if (!adopted && argumentValue(module.argument, left.masterKey) == master) {
            adopted = module.index;
            continue;
        }
        if (!client.unloadModule(module.index, deadline))
            debugLog("an old " + std::string(left.what) + " could not be removed");
    }
    return adopted;
}

void forgetUnloadedModule(PulseClient& client, std::optional<uint32_t>& module,
                          PulseClient::Deadline deadline) {
    if (module && client.moduleLoaded(*module, deadline) == false) module.reset();
}

bool unloadModule(PulseClient& client, std::optional<uint32_t>& module, PulseClient::Deadline deadline) {
    if (!module) return true;
    if (client.moduleLoaded(*module, deadline) != false && !client.unloadModule(*module, deadline))
        return false;
    module.reset();
    return true;
}

}  // namespace halvern::audio
