#include "input/macro_store.h"

#include <gtest/gtest.h>

#include <set>

#include "profile/json_access.h"
#include "profile/json_file.h"
#include "temp_env.h"

namespace halvern {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::vector<std::string> namesOf(const MacroStore& store) {
    std::vector<std::string> names;
    for (const MacroEntry& entry : store.LoadMacroList()) names.push_back(entry.name);
    return names;
}

void writeList(const TempDir& dir, const std::string& entries) {
    writeBytes(dir / "macro.config", R"({"MacroInfo": [)" + entries + "]}");
}

TEST(MacroStore, NamingAddingAndTheLimit) {
    TempDir dir;
    MacroStore store(dir.path());
    EXPECT_TRUE(store.LoadMacroList().empty());  // no file: empty list
    writeList(dir, R"({"Guid": "g1", "MacroName": "macro_1"}, {"Guid": "g3", "MacroName": "MACRO_3"})");
    EXPECT_EQ(store.AddMacro(), "macro_2");
    EXPECT_EQ(store.AddMacro(), "macro_4");
    EXPECT_EQ(namesOf(store), (std::vector<std::string>{"macro_1", "MACRO_3", "macro_2", "macro_4"}));

    // Guids made in quick succession are still distinct; no macro file exists yet.
    std::set<std::string> guids;
    for (int i = 0; i < 46; ++i) ASSERT_FALSE(store.AddMacro().empty()) << i;
    for (const MacroEntry& entry : store.LoadMacroList()) guids.insert(entry.guid);
    EXPECT_EQ(guids.size(), MacroStore::kMaxMacros);
    EXPECT_TRUE(store.LoadMacro(store.LoadMacroList().back().guid).empty());
    EXPECT_FALSE(std::filesystem::exists(store.MacroPath(store.LoadMacroList().back().guid)));

    const std::string before = readBytes(store.ListPath());
    EXPECT_EQ(store.AddMacro(), "");  // full
    const std::filesystem::path source = dir / "in.mac";
    writeBytes(source, R"({"Events": []})");
    EXPECT_EQ(store.ImportMacro(source).result, ImportResult::ListFull);
    EXPECT_EQ(readBytes(store.ListPath()), before);
}

TEST(MacroStore, RenameRules) {
    TempDir dir;
    MacroStore store(dir.path());
    ASSERT_EQ(store.AddMacro(), "macro_1");
    ASSERT_EQ(store.AddMacro(), "macro_2");
    EXPECT_EQ(store.RenameMacro(0, "Macro_1"), RenameResult::kDuplicate);
    EXPECT_EQ(store.RenameMacro(0, "MACRO_2"), RenameResult::kDuplicate);
    EXPECT_EQ(store.RenameMacro(0, " \t "), RenameResult::kBlank);
    EXPECT_EQ(store.RenameMacro(0, ""), RenameResult::kBlank);
    EXPECT_EQ(store.RenameMacro(5, "Other"), RenameResult::kFailed);
    EXPECT_EQ(store.RenameMacro(0, " Jump "), RenameResult::kDone);  // kept untrimmed
    EXPECT_EQ(namesOf(store), (std::vector<std::string>{" Jump ", "macro_2"}));
}

TEST(MacroStore, SaveLoadAndDelayForms) {
    TempDir dir;
    MacroStore store(dir.path());
    ASSERT_EQ(store.AddMacro(), "macro_1");
    const std::string guid = store.LoadMacroList()[0].guid;
    // The delay as a number and as text load alike; out-of-range delays load as 65535.
    writeBytes(store.MacroPath(guid), R"({"Events": [
        {"Action": "down", "Button": 4, "Delay": 250, "Type": 10},
        {"Action": "up", "Button": 4, "Delay": "250", "Type": 10},
        {"Action": "down", "Button": 1, "Delay": "70000", "Type": 1},
        {"Action": "up", "Button": 1, "Delay": -3, "Type": 1},
        {"Action": "up", "Button": 1, "Delay": "65534", "Type": 1}],
        "Guid": "other", "MacroName": "other", "Version": 64})");
    const std::vector<MacroEvent> events = store.LoadMacro(guid);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], (MacroEvent{true, 4, 10, 250}));
    EXPECT_EQ(events[1], (MacroEvent{false, 4, 10, 250}));
    EXPECT_EQ(events[2].delay, 65535);
    EXPECT_EQ(events[3].delay, 65535);
    EXPECT_EQ(events[4].delay, 65534);

    ASSERT_TRUE(store.SaveMacro(0, events));
    const Json::Value saved = ReadJsonFile(store.MacroPath(guid));
    EXPECT_EQ(saved["Events"][0]["Delay"], Json::Value("250"));
    EXPECT_EQ(saved["Events"][2]["Delay"], Json::Value("65535"));
    EXPECT_EQ(saved["Guid"], Json::Value(guid));
    EXPECT_EQ(saved["MacroName"], Json::Value("macro_1"));
    EXPECT_EQ(saved["Version"], Json::Value(64));
    EXPECT_EQ(store.LoadMacro(guid), events);
    // Members in alphabetical order.
    const std::string text = readBytes(store.MacroPath(guid));
    EXPECT_LT(text.find("\"Action\""), text.find("\"Button\""));
    EXPECT_LT(text.find("\"Button\""), text.find("\"Delay\""));
    EXPECT_LT(text.find("\"Delay\""), text.find("\"Type\""));
    EXPECT_LT(text.find("\"Events\""), text.find("\"Guid\""));
    EXPECT_FALSE(store.SaveMacro(1, events));
}

TEST(MacroStore, BadFilesNeverThrow) {
    TempDir dir;
    MacroStore store(dir.path());
    writeBytes(dir / "macro.config", R"({"MacroInfo": {"Guid": 1}})");
    EXPECT_TRUE(store.LoadMacroList().empty());
    writeBytes(dir / "macro.config", "not json");
    EXPECT_TRUE(store.LoadMacroList().empty());
    writeList(dir, R"(7, {"Guid": ["x"], "MacroName": 5}, {"Guid": "g", "MacroName": "ok"})");
    const std::vector<MacroEntry> entries = store.LoadMacroList();
    ASSERT_EQ(entries.size(), 3u);  // positions stay as in the file
    EXPECT_EQ(entries[1], (MacroEntry{"", ""}));
    EXPECT_EQ(entries[2], (MacroEntry{"ok", "g"}));

    writeBytes(dir / "g.mac", R"({"Events": [{"Action": 3, "Button": "4", "Delay": [1], "Type": {}},
        "text", {"Action": "down", "Button": 300, "Delay": 1.5, "Type": 138}]})");
    const std::vector<MacroEvent> events = store.LoadMacro("g");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], (MacroEvent{false, 4, 0, 0}));
    EXPECT_EQ(events[1], (MacroEvent{false, 0, 0, 0}));
    EXPECT_EQ(events[2], (MacroEvent{true, 255, 127, 1}));  // clamped, as the recoil editor shows them
    writeBytes(dir / "g.mac", R"({"Events": "none"})");
    EXPECT_TRUE(store.LoadMacro("g").empty());

    // A file over the size cap is not read at all.
    writeBytes(dir / "g.mac", R"({"Events": [{"Action": "down", "Button": 4, "Delay": 1, "Type": 10}]})" +
                                  std::string(kMaxJsonFileBytes, ' '));
    EXPECT_TRUE(store.LoadMacro("g").empty());
    // Events past the limit are dropped.
    Json::Value many(Json::objectValue);
    for (size_t i = 0; i < kMaxMacroEvents + 10; ++i) many["Events"].append(EventToJson({true, 4, 10, 1}));
    ASSERT_TRUE(WriteJsonFile(dir / "g.mac", many));
    EXPECT_EQ(store.LoadMacro("g").size(), kMaxMacroEvents);
}

TEST(MacroStore, UnsafeGuidsNeverBecomePaths) {
    TempDir dir;
    const std::filesystem::path inner = dir / "device";
    std::filesystem::create_directory(inner);
    MacroStore store(inner);
    writeBytes(dir / "victim.mac", "keep");
    writeBytes(inner / "macro.config",
               R"({"MacroInfo": [{"Guid": "../victim", "MacroName": "a"}, {"Guid": "..", "MacroName": "b"},
                   {"Guid": "x\u0001y", "MacroName": "c"}, {"Guid": "", "MacroName": "d"}]})");
    for (std::string_view guid : {"../victim", "..", "x\x01y", "", "a/b", "a\\b"}) {
        EXPECT_TRUE(store.MacroPath(guid).empty()) << guid;
        EXPECT_TRUE(store.LoadMacro(guid).empty()) << guid;
    }
    const std::vector<MacroEvent> events{{true, 4, 10, 1}};
    EXPECT_FALSE(store.SaveMacro(0, events));
    EXPECT_FALSE(store.ExportMacro(0, dir / "out.mac"));
    EXPECT_EQ(store.DeleteMacro(0), 0);  // the entry goes, the outside file stays
    EXPECT_EQ(readBytes(dir / "victim.mac"), "keep");
    EXPECT_EQ(store.LoadMacroList().size(), 3u);
}

TEST(MacroStore, DeleteExportAndImport) {
    TempDir dir;
    MacroStore store(dir.path());
    EXPECT_EQ(store.DeleteMacro(0), -1);  // empty list
    ASSERT_EQ(store.AddMacro(), "macro_1");
    const std::vector<MacroEvent> events{{true, 4, 10, 300}, {false, 4, 10, 20}};
    ASSERT_TRUE(store.SaveMacro(0, events));

    // Export copies the file byte for byte; import adds macro_2 with the file as it came.
    const std::filesystem::path exported = dir / "exported.mac";
    ASSERT_TRUE(store.ExportMacro(0, exported));
    const std::string original = readBytes(store.MacroPath(store.LoadMacroList()[0].guid));
    EXPECT_EQ(readBytes(exported), original);
    EXPECT_EQ(store.ImportMacro(exported).name, "macro_2");
    const MacroEntry imported = store.LoadMacroList()[1];
    EXPECT_EQ(readBytes(store.MacroPath(imported.guid)), original);
    EXPECT_EQ(ReadJsonFile(store.MacroPath(imported.guid))["MacroName"], Json::Value("macro_1"));
    EXPECT_EQ(store.LoadMacro(imported.guid), events);
    ASSERT_TRUE(store.SaveMacro(1, events));  // the list entry is what a save writes
    EXPECT_EQ(ReadJsonFile(store.MacroPath(imported.guid))["MacroName"], Json::Value("macro_2"));

    // A source that cannot be read, or is not a macro file, adds nothing (no empty macro appears).
    EXPECT_EQ(store.ImportMacro(dir / "missing.mac").result, ImportResult::Unreadable);
    const std::filesystem::path text = dir / "hostname";
    writeBytes(text, "localhost\n");
    EXPECT_EQ(store.ImportMacro(text).result, ImportResult::NotEvents);
    writeBytes(text, R"({"MacroName": "x"})");
    EXPECT_EQ(store.ImportMacro(text).result, ImportResult::NotEvents);
    EXPECT_EQ(store.LoadMacroList().size(), 2u);

    // Deleting moves later macros up and removes the file; the last delete leaves an empty list.
    const std::filesystem::path firstFile = store.MacroPath(store.LoadMacroList()[0].guid);
    EXPECT_EQ(store.DeleteMacro(0), 0);
    EXPECT_FALSE(std::filesystem::exists(firstFile));
    EXPECT_EQ(store.LoadMacroList()[0].name, "macro_2");
    EXPECT_EQ(store.DeleteMacro(0), 0);
    const Json::Value list = ReadJsonFile(store.ListPath());
    EXPECT_TRUE(list["MacroInfo"].isArray());
    EXPECT_EQ(list["MacroInfo"].size(), 0u);
}

TEST(MacroEvent, EncodingAndJson) {
    const Json::Value object =
        ParseJsonText(R"({"Action": "down", "Button": 4, "Delay": "300", "Type": 10})");
    const MacroEvent event = EventFromJson(object);
    EXPECT_EQ(EncodeEvent(event), (std::array<uint8_t, 4>{0x2C, 0x01, 0x8A, 0x04}));
    EXPECT_EQ(EventToJson(event), object);
    EXPECT_EQ(EncodeEvent({false, 0xFF, 0x05, 0xFFFF}), (std::array<uint8_t, 4>{0xFF, 0xFF, 0x05, 0xFF}));
    EXPECT_EQ(DelayFromJson(Json::Value("12ms")), 12);
    EXPECT_EQ(DelayFromJson(Json::Value("ms")), 0);
    EXPECT_EQ(DelayFromJson(Json::Value("99999999999999999999999")), 65535);
    EXPECT_EQ(DelayFromJson(Json::Value(1e30)), 65535);
    EXPECT_EQ(DelayFromJson(Json::Value(Json::arrayValue)), 0);
    // Values out of range are clamped rather than cut to their low bits; the action ignores letter case.
    EXPECT_EQ(
        EventFromJson(ParseJsonText(R"({"Action": "Down", "Button": 300, "Delay": "-5", "Type": 129})")),
        (MacroEvent{true, 255, 127, 65535}));
    EXPECT_EQ(EventFromJson(ParseJsonText(R"({"Action": "upward", "Button": "44", "Type": -3})")),
              (MacroEvent{false, 44, 0, 0}));
}

}  // namespace
}  // namespace halvern
