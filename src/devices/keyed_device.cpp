#include "devices/keyed_device.h"

#include <cstdio>

#include "device/debug_sink.h"
#include "devices/factory_table_store.h"
#include "input/event_image.h"
#include "input/macro_event.h"
#include "input/macro_store.h"

namespace halvern {

CMerivexKeyedDevice::CMerivexKeyedDevice(HidBackend& backend, const Kind& kind, const Keys& keys)
    : CMerivexLitDevice(backend, kind), m_keyKind(keys), m_keyMap(keys.keyCodes.size(), key_table::kAbsent) {}

CMerivexKeyedDevice::~CMerivexKeyedDevice() {
    stopThreads();
}

// ---- Opening the page ----

std::filesystem::path CMerivexKeyedDevice::factoryTableFile() const {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%04x_%04x.json", m_keyKind.factoryFilePrefix, identity().vid,
                  identity().pid);
    return UserFolder() / name;
}

bool CMerivexKeyedDevice::keyPresent(size_t key) const {
    return key < m_keyMap.size() && m_keyMap[key] != key_table::kAbsent;
}

CMerivexLitDevice::TablesJob CMerivexKeyedDevice::tablesJob() const {
    return
        [withLeds = readsLedTable(), askLink = linkChecks()](CommandChannel& channel, jobs::Tables& tables) {
            return jobs::ReadTables(channel, withLeds, tables, askLink);
        };
}

void CMerivexKeyedDevice::takeTables(const jobs::Tables& tables) {
    CMerivexLitDevice::takeTables(tables);
    m_factoryTable = RememberFactoryTable(factoryTableFile(), tables.keyTable, tables.info);
    m_keyMap = key_table::BuildKeyMap(m_factoryTable, m_keyKind.keyCodes);
    tablesRead(tables);
}

void CMerivexKeyedDevice::profileLoaded(bool writeNow) {
    if (CheckMacroAssignments() && writeNow) WriteKeysAndMacros({});
}

void CMerivexKeyedDevice::takeKeysFromProfile() {
    m_keys = basicProfile().GetKeyList();
}

// The device holds the factory assignments again: the table it answers next time is the one to remember,
// so a wrong remembered table mends itself.
void CMerivexKeyedDevice::defaultsRestored() {
    ForgetFactoryTable(factoryTableFile());
}

void CMerivexKeyedDevice::LoadDefaultLists() {
    m_macroNames.clear();
    for (const MacroEntry& entry : MacroStore(UserFolder()).LoadMacroList())
        m_macroNames.push_back(entry.name);
    CMerivexLitDevice::LoadDefaultLists();
}

size_t CMerivexKeyedDevice::macroCount() {
    return MacroStore(UserFolder()).LoadMacroList().size();
}

void CMerivexKeyedDevice::WriteAll(int width, int height, Done done) {
    setScreen(width, height);
    std::optional<Record> record = settingsRecord(0, 0, 1, width, height);
    jobs::KeyWrite keys = keyWrite(true, true);
    if (!record || keys.table.empty())
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::Settings));
    const bool linkEach = linkChecks();
    queue().submit(
        [record = std::move(*record), keys = std::move(keys), linkEach](CommandChannel& channel) {
            if (const DeviceResult r = jobs::WriteRecord(channel, record.bytes, record.offset, linkEach); !r)
                return r;
            jobs::Info info{};
            return jobs::WriteKeys(channel, keys, info);
        },
        std::move(done));
}

// ---- Key table and macros ----

std::vector<uint8_t> CMerivexKeyedDevice::ListUsedMacros() const {
    return key_table::UsedMacros(m_keys, m_keyMap, m_macroNames.size());
}

bool CMerivexKeyedDevice::CheckMacroAssignments() {
    if (!key_table::ResetMissingMacros(m_keys, macroCount())) return false;
    basicProfile().SetKeyList(m_keys);
    if (!SaveProfile()) debugLog("profile file could not be written after resetting missing macros");
    return true;
}

jobs::KeyWrite CMerivexKeyedDevice::keyWrite(bool withTable, bool withMacros) {
    jobs::KeyWrite write;
    write.linkChecks = linkChecks();
    MacroStore store(UserFolder());
    const auto list = store.LoadMacroList();
    if (withTable && !m_factoryTable.empty()) {
        write.table = key_table::Build(m_factoryTable, m_keyMap, m_keys, list.size());
    }
    write.macroStep = withMacros;
    if (withMacros && !list.empty()) {
        std::vector<std::vector<MacroEvent>> blocks;
        for (const uint8_t number : key_table::UsedMacros(m_keys, m_keyMap, list.size())) {
            blocks.push_back(store.LoadMacro(list[number].guid));
        }
        std::vector<size_t> counts;
        counts.reserve(blocks.size());
        for (const auto& block : blocks) counts.push_back(block.size());
        write.macros = jobs::MacroImage{BuildEventImage(blocks), EventImageSize(counts)};
    }
    return write;
}

void CMerivexKeyedDevice::submitKeyWrite(jobs::KeyWrite write, Done done) {
    queue().submit(
        [write = std::move(write)](CommandChannel& channel) {
            jobs::Info info{};
            return jobs::WriteKeys(channel, write, info);
        },
        std::move(done));
}

void CMerivexKeyedDevice::SetKeyAssignment(size_t key, const KeyListEntry& entry, Done done) {
    // A key the device keeps has a slot of its own: keys that share one (several "none" keys share the
    // first such slot) could not be told apart by the device.
    const auto sharesSlot = [this](size_t k) {
        for (size_t j = 0; j < m_keyMap.size(); ++j) {
            if (j != k && m_keyMap[j] == m_keyMap[k]) return true;
        }
        return false;
    };
    if (key >= m_keys.size() || !keyPresent(key) || sharesSlot(key)) {
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    }
    const std::vector<KeyListEntry> before = m_keys;
    const std::vector<uint8_t> macrosBefore = ListUsedMacros();
    m_keys[key].current = entry.current;
    m_keys[key].current.keyIndex = static_cast<uint16_t>(key);
    // The macro memory follows whenever the macros the keys play, or their order, changed.
    const bool macros = ListUsedMacros() != macrosBefore || key_table::IsMacroType(entry.current.type);
    jobs::KeyWrite write = keyWrite(true, macros);
    if (write.table.empty()) {
        m_keys = before;
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    }
    submitKeyWrite(std::move(write), [this, before, done](DeviceResult result) {
        if (result) {
            basicProfile().SetKeyList(m_keys);
            if (!SaveProfile()) result = DeviceResult::FileError();
        } else {
            m_keys = before;
        }
        if (done) done(result);
    });
}

void CMerivexKeyedDevice::WriteKeysAndMacros(Done done) {
    jobs::KeyWrite write = keyWrite(true, true);
    if (write.table.empty()) return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    submitKeyWrite(std::move(write), std::move(done));
}

void CMerivexKeyedDevice::WriteMacros(Done done) {
    submitKeyWrite(keyWrite(false, true), std::move(done));
}

// ---- Notifications ----

void CMerivexKeyedDevice::HandleNotification(uint16_t code, bool cable) {
    const int high = code >> 8;
    if (code == 0x0401) {
        askRefresh(50);
    } else if (high == 0x10 || high == 0x11) {
        setActiveRecord(code & 0x0F);
        onNotification(code, cable);
        askRefresh(0);
        return;
    }
    onNotification(code, cable);
}

}  // namespace halvern
