// The mouse's recoil memory (the key table and macro memory are shared with the keyboard).

#include <string>

#include "devices/mouse_device.h"
#include "input/event_image.h"
#include "input/macro_event.h"

namespace halvern {
namespace {

constexpr size_t kRecoilPatterns = 4;

}  // namespace

int CMerivexMouseDevice::WriteRecoilPatterns() {
    CommandChannel& channel = commandChannel();
    if (!channel.connected() || !linkAnswers()) return 0;
    if (channel.ReadInfo(info()) != result::kSuccess) return 0;
    std::vector<std::vector<MacroEvent>> blocks;
    for (size_t k = 0; k < kRecoilPatterns; ++k) {
        blocks.push_back(LoadEventsFile(UserFolder() / ("ShootData_" + std::to_string(k) + ".Shoot")));
    }
    const std::vector<uint8_t> image = BuildEventImage(blocks);
    if (image.empty()) return 0;  // too large for the image's 16-bit sizes
    if (channel.Begin() != result::kSuccess) return 0;
    if (channel.WriteData17(image) != result::kSuccess) return 0;
    return channel.End() == result::kSuccess ? 1 : 0;
}

}  // namespace halvern
