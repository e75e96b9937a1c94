#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "devices/key_table.h"
#include "devices/lit_device.h"

namespace halvern {

/// What the mouse and the keyboard add to a device with lights: a key table mapped onto logical keys (the
/// factory table remembered per model) and a macro memory. The device classes add their records and
/// settings.
class CMerivexKeyedDevice : public CMerivexLitDevice {
public:
    /// The keys of the device.
    struct Keys {
        std::span<const key_table::Code> keyCodes;  ///< the default code of each logical key
        const char* factoryFilePrefix;              ///< the remembered factory table's file name start
    };

    CMerivexKeyedDevice(HidBackend& backend, const Kind& kind, const Keys& keys);
    ~CMerivexKeyedDevice() override;

    void LoadDefaultLists() override;
    /// The settings record, the key table and the macros: the device takes the whole profile.
    void WriteAll(int width, int height, Done done) override;
    /// Of the notifications, 0x0401 asks for a refresh after 50 ms; 0x10nn and 0x11nn name the active
    /// record (the page reads the device at once); the device classes see the rest.
    void HandleNotification(uint16_t code, bool cable) override;

    // ---- Key table and macros. ----
    /// Resets keys assigned to macros that no longer exist; stores and saves the list when anything
    /// changed. True when it changed something (the key table then needs writing).
    bool CheckMacroAssignments();
    /// The macros used by present keys, in first-use order: the order of the device's macro memory.
    [[nodiscard]] std::vector<uint8_t> ListUsedMacros() const;
    /// Stores one key's assignment and writes the key table, and the macro image whenever the set or order
    /// of the macros the keys play changed. When the device refuses (or the macros would not fit: the
    /// result then says how many events to remove), the key keeps its old assignment and the profile file
    /// is not touched. A key the device does not keep is refused at once.
    void SetKeyAssignment(size_t key, const KeyListEntry& entry, Done done);
    /// Writes the key table and then the macro image (the page's "write to device").
    void WriteKeysAndMacros(Done done);
    /// Writes the macro image of the macros the keys use.
    void WriteMacros(Done done);

    [[nodiscard]] const std::vector<KeyListEntry>& keyList() const { return m_keys; }
    [[nodiscard]] bool keyPresent(size_t key) const;
    [[nodiscard]] const std::vector<uint8_t>& factoryTable() const { return m_factoryTable; }
    [[nodiscard]] const std::vector<std::string>& macroNames() const { return m_macroNames; }

protected:
    /// The tables read when the page opened (the keyboard builds its LED map).
    virtual void tablesRead(const jobs::Tables& tables) { (void)tables; }
    /// Whether ActivatePage reads the LED table.
    [[nodiscard]] virtual bool readsLedTable() const { return false; }

    [[nodiscard]] TablesJob tablesJob() const override;
    void takeTables(const jobs::Tables& tables) override;
    void profileLoaded(bool writeNow) override;
    void takeKeysFromProfile() override;
    void defaultsRestored() override;

    [[nodiscard]] size_t macroCount();
    [[nodiscard]] const std::vector<int>& keyMap() const { return m_keyMap; }
    [[nodiscard]] std::vector<KeyListEntry>& keys() { return m_keys; }

private:
    [[nodiscard]] std::filesystem::path factoryTableFile() const;
    /// The key table (and, with `macros`, the macro image) the page's assignments make.
    [[nodiscard]] jobs::KeyWrite keyWrite(bool withTable, bool withMacros);
    void submitKeyWrite(jobs::KeyWrite write, Done done);

    Keys m_keyKind;
    std::vector<std::string> m_macroNames;
    std::vector<uint8_t> m_factoryTable;
    std::vector<int> m_keyMap;
    std::vector<KeyListEntry> m_keys;
};

}  // namespace halvern
