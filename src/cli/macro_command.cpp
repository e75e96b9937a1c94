#include "cli/macro_command.h"

#include <json/json.h>

#include <array>
#include <string_view>
#include <type_traits>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/macro_record_command.h"
#include "cli/macro_rows_command.h"
#include "cli/mouse_session.h"
#include "cli/numbering.h"
#include "cli/option_words.h"
#include "cli/standard_files.h"
#include "input/macro_store.h"
#include "profile/data_folders.h"
#include "profile/name_rule.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl macro [--device mouse|keyboard] list | add | rename POSITION NAME | delete POSITION | "
    "import FILE | export POSITION FILE | show POSITION | insert POSITION ROW ITEM [N] | "
    "delete-row POSITION ROW | move-row POSITION ROW up|down|top|bottom | record POSITION [--timing "
    "record|ignore|constant:MS] [--append|--before ROW|--after ROW|--replace ROW] --seconds N";

/// The 0-based macro a 1-based POSITION names; nothing, with one usage line, when there is no macro there.
std::optional<int> position(const CommandContext& context, const MacroStore& store, const std::string& text) {
    std::string problem;
    const auto at = parseOrdinal(text, "POSITION", store.LoadMacroList().size(), problem);
    if (at) return static_cast<int>(*at);
    (void)usageError(context, "macro", problem, kUsage);
    return std::nullopt;
}

/// A macro of the list as --json prints it: position (1-based), name, guid, events.
Json::Value macroJson(const MacroStore& store, const MacroEntry& entry, size_t at) {
    Json::Value row(Json::objectValue);
    row["position"] = static_cast<int>(at) + 1;
    row["name"] = entry.name;
    row["guid"] = entry.guid;
    row["events"] = static_cast<Json::UInt64>(store.LoadMacro(entry.guid).size());
    return row;
}

/// Prints a change of macro `at` as JSON: its entry after the change (or before, for a deleted one).
void printMacroChange(const CommandContext& context, KeyDevice device, std::string_view action,
                      const Json::Value& macro) {
    Json::Value result = changeResult(deviceWord(device), "macro", action);
    result["macro"] = macro;
    printJson(context.out, result);
}

/// The macro at 0-based `at` as JSON, or null when the list holds no such position.
Json::Value macroAt(const MacroStore& store, int at) {
    const std::vector<MacroEntry> list = store.LoadMacroList();
    if (at < 0 || static_cast<size_t>(at) >= list.size()) return {};
    return macroJson(store, list[static_cast<size_t>(at)], static_cast<size_t>(at));
}

/// "macro 2 (Jump)"; without the name when the list no longer holds the position.
std::string macroLabel(const MacroStore& store, int at) {
    const std::vector<MacroEntry> list = store.LoadMacroList();
    const std::string label = "macro " + std::to_string(at + 1);
    return at >= 0 && static_cast<size_t>(at) < list.size()
               ? label + " (" + list[static_cast<size_t>(at)].name + ")"
               : label;
}

int listMacros(const CommandContext& context, KeyDevice device, MacroStore& store, const CommandArgs&) {
    const std::vector<MacroEntry> list = store.LoadMacroList();
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["device"] = std::string(deviceWord(device));
        root["macros"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < list.size(); ++i) root["macros"].append(macroJson(store, list[i], i));
        printJson(context.out, root);
        return kExitOk;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        const size_t events = store.LoadMacro(list[i].guid).size();
        context.out << i + 1 << "  " << PrintableName(list[i].name) << "  (" << events
                    << (events == 1 ? " event)\n" : " events)\n");
    }
    return kExitOk;
}

int addMacro(const CommandContext& context, KeyDevice device, MacroStore& store, const CommandArgs&) {
    const std::string name = store.AddMacro();
    if (name.empty()) {
        context.err << "halvernctl: no macro added: the list is full (" << MacroStore::kMaxMacros
                    << " macros) or cannot be written\n";
        return kExitDeviceError;
    }
    if (context.json) {
        printMacroChange(context, device, "added",
                         macroAt(store, static_cast<int>(store.LoadMacroList().size()) - 1));
        return kExitOk;
    }
    context.out << "added " << name << '\n';
    return kExitOk;
}

int renameMacro(const CommandContext& context, KeyDevice device, MacroStore& store,
                const CommandArgs& words) {
    const auto at = position(context, store, words[0]);
    if (!at) return kExitUsage;
    switch (store.RenameMacro(*at, words[1])) {
        case RenameResult::kDone:
            if (context.json) {
                printMacroChange(context, device, "renamed", macroAt(store, *at));
            } else {
                context.out << "renamed macro " << *at + 1 << " to " << PrintableName(words[1]) << '\n';
            }
            return kExitOk;
        case RenameResult::kBlank:
            return usageError(context, "macro", "the new name is blank", kUsage);
        case RenameResult::kInvalid:
            return usageError(context, "macro", NameProblemText(CheckName(words[1])), kUsage);
        case RenameResult::kDuplicate:
            return usageError(context, "macro", "a macro named '" + words[1] + "' exists (letter case aside)",
                              kUsage);
        case RenameResult::kFailed:
            break;
    }
    context.err << "halvernctl: the macro list cannot be written\n";
    return kExitDeviceError;
}

/// Deletes macro `at` with the device's page open: its assignments change first (saved), the list after;
/// a list that cannot be written puts the assignments back.
template <class Device>
int deleteFromDevice(const CommandContext& context, MacroStore& store, int at,
                     std::optional<PageSession<Device>> session, KeyDevice kind) {
    if (!session) return kExitDeviceError;
    const std::string_view word = deviceWord(kind);
    Device& device = *session->device;
    const std::string deleted = "deleted " + macroLabel(store, at);
    const Json::Value before = macroAt(store, at);
    const auto confirm = [&](bool written) {
        if (!context.json) return false;
        Json::Value result = changeResult(word, "macro", "deleted");
        result["macro"] = before;
        result["keysWritten"] = written;
        printJson(context.out, result);
        return true;
    };

    const std::vector<KeyListEntry> keysBefore = device.keyList();
    std::vector<KeyListEntry> keys = keysBefore;
    const bool changed = key_table::DropMacro(keys, static_cast<uint8_t>(at));
    if (changed) {
        device.profile().SetKeyList(keys);
        if (!device.SaveProfile()) {
            context.err << "halvernctl: the profile file cannot be written; nothing was deleted\n";
            return kExitDeviceError;
        }
    }
    if (store.DeleteMacro(at) != at) {
        if (changed) {
            device.profile().SetKeyList(keysBefore);
            if (!device.SaveProfile())
                context.err << "halvernctl: the profile file cannot be written either\n";
        }
        context.err << "halvernctl: the macro list cannot be written\n";
        return kExitDeviceError;
    }
    // The page takes the changed assignments and macro names.
    if (!device.LoadProfile()) {
        context.err << "halvernctl: the macro is deleted, but the profile file cannot be read again\n";
        return kExitDeviceError;
    }
    device.ShowSettings();
    if (!changed) {
        if (!confirm(false)) context.out << deleted << '\n';
        return kExitOk;
    }
    const DeviceResult written =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.WriteKeysAndMacros(std::move(done)); });
    if (!written && !written.isOverflow()) {
        context.err << "halvernctl: the macro is deleted, but the " << word
                    << " did not take the changed key table and macros (" << describeResult(written.code())
                    << "); the profile holds them for the next write\n";
        return kExitDeviceError;
    }
    const int code = reportRefusal(context, word, "macros", written);
    if (code == kExitOk && !confirm(true)) {
        context.out << deleted << "; the key table and macros written to the " << word << '\n';
    }
    return code;
}

int deleteMacro(const CommandContext& context, KeyDevice device, MacroStore& store,
                const CommandArgs& words) {
    const auto at = position(context, store, words[0]);
    if (!at) return kExitUsage;
    if (device == KeyDevice::Keyboard)
        return deleteFromDevice(context, store, *at, openKeyboard(context), device);
    return deleteFromDevice(context, store, *at, openMouse(context), device);
}

int importMacro(const CommandContext& context, KeyDevice device, MacroStore& store,
                const CommandArgs& words) {
    const std::string& file = words[0];
    const MacroStore::Imported imported = store.ImportMacro(file);
    if (imported.result != ImportResult::Imported) {
        context.err << "halvernctl: cannot import " << file << ": " << ImportProblem(imported.result, "macro")
                    << '\n';
        return kExitDeviceError;
    }
    if (context.json) {
        printMacroChange(context, device, "imported",
                         macroAt(store, static_cast<int>(store.LoadMacroList().size()) - 1));
        return kExitOk;
    }
    context.out << "imported " << imported.name << '\n';
    return kExitOk;
}

int exportMacro(const CommandContext& context, KeyDevice device, MacroStore& store,
                const CommandArgs& words) {
    const auto at = position(context, store, words[0]);
    if (!at) return kExitUsage;
    const bool exported = exportToFile(words[1], context.out, [&](const std::filesystem::path& target) {
        return store.ExportMacro(*at, target);
    });
    if (exported) {
        // Standard output carries the macro itself.
        if (words[1] == kStandardStream) return kExitOk;
        if (context.json) {
            Json::Value result = changeResult(deviceWord(device), "macro", "exported");
            result["macro"] = macroAt(store, *at);
            result["file"] = words[1];
            printJson(context.out, result);
            return kExitOk;
        }
        context.out << "exported " << macroLabel(store, *at) << " to " << words[1] << '\n';
        return kExitOk;
    }
    context.err << "halvernctl: cannot export macro " << *at + 1 << " to " << words[1]
                << " (a macro has a file only once it holds events, or the target cannot be written)\n";
    return kExitDeviceError;
}

struct MacroVerb {
    std::string_view name;
    size_t words;     ///< words after the verb
    size_t maxWords;  ///< at most this many words
    int (*run)(const CommandContext&, KeyDevice, MacroStore&, const CommandArgs&);
};

/// A row verb: it needs no device.
template <int (*Rows)(const CommandContext&, std::string_view, MacroStore&, const CommandArgs&)>
int onRows(const CommandContext& context, KeyDevice device, MacroStore& store, const CommandArgs& words) {
    return Rows(context, deviceWord(device), store, words);
}

constexpr std::array<MacroVerb, 11> kVerbs{{
    {"list", 0, 0, listMacros},
    {"add", 0, 0, addMacro},
    {"rename", 2, 2, renameMacro},
    {"delete", 1, 1, deleteMacro},
    {"import", 1, 1, importMacro},
    {"export", 2, 2, exportMacro},
    {"show", 1, 1, onRows<showMacroRows>},
    {"insert", 3, 4, onRows<insertMacroRows>},
    {"delete-row", 2, 2, onRows<deleteMacroRow>},
    {"move-row", 3, 3, onRows<moveMacroRow>},
    {"record", 1, 16, onRows<recordMacro>},  // its own options are checked by the recording
}};

/// Writes the macros the device's keys use into its macro memory.
template <class Device>
int writeUsedMacros(const CommandContext& context, const CommandArgs& args,
                    std::optional<PageSession<Device>> (*open)(const CommandContext&),
                    std::string_view word) {
    if (!args.empty()) {
        return usageError(context, "write-macros", "takes no arguments",
                          "halvernctl write-macros [--device mouse|keyboard]");
    }
    auto session = open(context);
    if (!session) return kExitDeviceError;
    Device& device = *session->device;
    const std::vector<uint8_t> used = device.ListUsedMacros();
    int code = reportRefusal(context, word, "macros", device.Await([&device](CMerivexUSBDevice::Done done) {
        device.WriteMacros(std::move(done));
    }));
    if (context.json) {
        // One result once everything is written.
    } else if (code == kExitOk && device.macroNames().empty()) {
        context.out << "the macro list is empty: nothing to write\n";
    } else if (code == kExitOk) {
        context.out << "wrote " << used.size() << (used.size() == 1 ? " macro" : " macros") << " to the "
                    << word << '\n';
    }
    if constexpr (std::is_same_v<Device, CMerivexMouseDevice>) {
        if (code == kExitOk) {
            code = reportRefusal(context, word, "recoil patterns",
                                 device.Await([&device](CMerivexUSBDevice::Done done) {
                                     device.WriteRecoilPatterns(std::move(done));
                                 }));
            if (code == kExitOk && !context.json)
                context.out << "wrote the four recoil patterns to the mouse\n";
        }
    }
    if (code == kExitOk && context.json) {
        Json::Value result = changeResult(word, "macros", "written");
        result["macros"] = static_cast<Json::UInt64>(device.macroNames().empty() ? 0 : used.size());
        result["recoilPatterns"] = std::is_same_v<Device, CMerivexMouseDevice>;
        printJson(context.out, result);
    }
    return code;
}

int writeMouseMacros(const CommandContext& context, const CommandArgs& args) {
    return writeUsedMacros(context, args, openMouse, "mouse");
}

int writeKeyboardMacros(const CommandContext& context, const CommandArgs& args) {
    return writeUsedMacros(context, args, openKeyboard, "keyboard");
}

}  // namespace

int runMacroCommand(const CommandContext& context, const CommandArgs& args) {
    const auto choice = chooseKeyDevice(context, args, "macro");
    if (!choice) return kExitUsage;
    const CommandArgs& all = choice->args;
    const MacroVerb* verb = nullptr;
    for (const MacroVerb& v : kVerbs) {
        if (!all.empty() && v.name == all[0]) verb = &v;
    }
    if (!verb) {
        return usageError(context, "macro",
                          all.empty() ? "a verb is needed" : "unknown verb '" + all[0] + "'", kUsage);
    }
    // Only record takes options: the others' words after "--" are words.
    const CommandArgs words = verb->name == "record"
                                  ? CommandArgs(all.begin() + 1, all.end())
                                  : withoutEndOfOptions(CommandArgs(all.begin() + 1, all.end()));
    if (words.size() < verb->words || words.size() > verb->maxWords) {
        return usageError(context, "macro",
                          std::string(verb->name) + " takes " + std::to_string(verb->words) + " argument(s)",
                          kUsage);
    }
    MacroStore store(GetDeviceDataFolder(std::string(deviceWord(choice->device))));
    return verb->run(context, choice->device, store, words);
}

int runWriteMacrosCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "write-macros", writeMouseMacros, writeKeyboardMacros);
}

}  // namespace halvern::cli
