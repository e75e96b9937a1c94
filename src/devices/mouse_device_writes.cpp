// The mouse's recoil memory (the key table and macro memory are shared with the keyboard).

#include <string>

#include "devices/mouse_device.h"
#include "input/event_image.h"
#include "input/macro_event.h"

namespace halvern {
namespace {

constexpr size_t kRecoilPatterns = 4;

}  // namespace

void CMerivexMouseDevice::WriteRecoilPatterns(Done done) {
    std::vector<std::vector<MacroEvent>> blocks;
    for (size_t k = 0; k < kRecoilPatterns; ++k) {
        blocks.push_back(LoadEventsFile(UserFolder() / ("ShootData_" + std::to_string(k) + ".Shoot")));
    }
    // An empty image (too large for its 16-bit sizes) is refused by the job without writing.
    queue().submit(
        [image = BuildEventImage(blocks)](CommandChannel& channel) {
            jobs::Info info{};
            return jobs::WriteRecoil(channel, image, info);
        },
        std::move(done));
}

}  // namespace halvern
