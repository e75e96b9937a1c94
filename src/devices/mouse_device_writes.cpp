// The mouse's key table, macro memory and recoil memory.

#include <algorithm>
#include <string>

#include "devices/mouse_device.h"
#include "input/event_image.h"
#include "input/macro_event.h"
#include "input/macro_store.h"

namespace halvern {
namespace {

constexpr size_t kRecoilPatterns = 4;
constexpr size_t kMacroMemoryUnit = 128;

}  // namespace

std::vector<uint8_t> CMerivexMouseDevice::ListUsedMacros() const {
    return key_table::UsedMacros(m_keys, m_keyMap, m_macroNames.size());
}

void CMerivexMouseDevice::CheckMacroAssignments() {
    if (!key_table::ResetMissingMacros(m_keys, macroCount())) return;
    m_profile.SetKeyList(m_keys);
    SaveProfile();
    ShowSettings();
}

int CMerivexMouseDevice::WriteKeyTable(int profileIndex, const std::vector<KeyListEntry>& entries) {
    CommandChannel& channel = commandChannel();
    if (!channel.connected()) return 0;
    if (!linkAnswers()) return 0;
    if (channel.ReadInfo(info()) != result::kSuccess) return 0;
    if (m_factoryTable.empty()) return 0;  // the page never read the mouse's own table
    const std::vector<uint8_t> table = key_table::Build(m_factoryTable, m_keyMap, entries, macroCount());
    if (channel.Begin() != result::kSuccess) return 0;
    const int written = channel.WriteBlock(table, profileIndex);
    if (written != result::kSuccess) return written;
    return channel.End() == result::kSuccess ? 1 : 0;
}

int CMerivexMouseDevice::WriteMacros(const std::vector<uint8_t>& macros) {
    CommandChannel& channel = commandChannel();
    if (!channel.connected() || !linkAnswers()) return -1;
    if (channel.ReadInfo(info()) != result::kSuccess) return -1;
    MacroStore store(UserFolder());
    const auto list = store.LoadMacroList();
    if (list.empty()) return 0;

    std::vector<std::vector<MacroEvent>> blocks;
    for (const uint8_t number : macros) {
        if (number >= list.size()) continue;
        blocks.push_back(store.LoadMacro(list[number].guid));
    }
    std::vector<size_t> counts;
    for (const auto& block : blocks) counts.push_back(block.size());
    const size_t size = EventImageSize(counts);
    const size_t limit = static_cast<size_t>(info()[6]) * kMacroMemoryUnit;
    if (const int overflow = MacroOverflowCount(size, limit); overflow > 0) return overflow;

    const std::vector<uint8_t> image = BuildEventImage(blocks);
    if (image.empty()) return -1;
    if (!linkAnswers() || channel.Begin() != result::kSuccess) return -1;
    if (!linkAnswers() || channel.WriteData15(image) != result::kSuccess) return -1;
    if (!linkAnswers() || channel.End() != result::kSuccess) return -1;
    return 0;
}

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

int CMerivexMouseDevice::SetKeyAssignment(size_t button, const KeyListEntry& entry) {
    if (button >= m_keys.size()) return 0;
    m_keys[button].current = entry.current;
    m_keys[button].current.keyIndex = static_cast<uint16_t>(button);
    m_profile.SetKeyList(m_keys);
    SaveProfile();
    const int written = WriteKeysFromPage();
    if (written == 1 && key_table::IsMacroType(entry.current.type)) return WriteMacros(ListUsedMacros()) == 0 ? 1 : 0;
    return written;
}

int CMerivexMouseDevice::WriteKeysAndMacros() {
    if (WriteKeysFromPage() != 1) return -1;
    return WriteMacros(ListUsedMacros());
}

}  // namespace halvern
