#include "cli/backend_factory.h"

#include "device/hidraw_backend.h"
#include "emulator/emulator.h"

namespace halvern::cli {

std::unique_ptr<HidBackend> makeBackend(const GlobalOptions& options, std::ostream& err) {
    if (options.emulate.empty()) return std::make_unique<HidrawBackend>();
    emu::EmulatorOptions emulatorOptions;
    emulatorOptions.transport = emu::Transport::SocketPair;
    emulatorOptions.stateDirectory = options.emulatorState;
    emulatorOptions.captureFile = options.capture;
    auto emulator = std::make_unique<emu::Emulator>(emulatorOptions);
    if (!emulator->setupError().empty()) {
        err << "halvernctl: " << emulator->setupError() << '\n';
        return nullptr;
    }
    (void)emu::attachNamed(*emulator, options.emulate);  // the names were checked with the options
    return emulator;
}

}  // namespace halvern::cli
