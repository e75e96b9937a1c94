// The mouse's recoil memory (the key table and macro memory are shared with the keyboard).

#include <string>

#include "device/debug_sink.h"
#include "devices/mouse_device.h"
#include "input/event_image.h"
#include "input/macro_event.h"
#include "input/recoil_store.h"
#include "profile/data_folders.h"

namespace halvern {
void CMerivexMouseDevice::WriteRecoilPatterns(Done done) {
    // A pattern file that went missing is the shipped pattern again, as the recoil editor shows it.
    const RecoilStore store(UserFolder(), GetDefaultDataFolder());
    if (!store.RestoreMissing()) debugLog("a missing recoil pattern could not be restored");
    std::vector<std::vector<MacroEvent>> blocks;
    blocks.reserve(RecoilStore::kGuns);
    for (int gun = 0; gun < RecoilStore::kGuns; ++gun)
        blocks.push_back(LoadEventsFile(store.PatternPath(gun)));
    // An empty image (too large for its 16-bit sizes) is refused by the job without writing.
    queue().submit(
        [image = BuildEventImage(blocks)](CommandChannel& channel) {
            jobs::Info info{};
            return jobs::WriteRecoil(channel, image, info);
        },
        std::move(done));
}

}  // namespace halvern
