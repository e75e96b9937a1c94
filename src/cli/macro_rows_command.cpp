// The row verbs of halvernctl macro; see macro_rows_command.h.

#include "cli/macro_rows_command.h"

#include <json/json.h>

#include <array>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/names.h"
#include "cli/numbering.h"
#include "input/macro_recorder.h"
#include "input/macro_rows.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl macro show POSITION | insert POSITION ROW ITEM [N] (after ROW; ROW 0: at the top) | "
    "delete-row POSITION ROW | move-row POSITION ROW up|down|top|bottom";

/// The macro at a position of the list with its rows; nothing, with a usage line, when there is none.
struct OpenMacro {
    int position;  ///< 0-based
    std::string name;
    MacroRows rows;
};

std::optional<OpenMacro> openMacro(const CommandContext& context, const MacroStore& store,
                                   const std::string& text, int& failure) {
    const std::vector<MacroEntry> list = store.LoadMacroList();
    std::string problem;
    const auto at = parseOrdinal(text, "POSITION", list.size(), problem);
    if (!at) {
        failure = usageError(context, "macro", problem, kUsage);
        return std::nullopt;
    }
    OpenMacro open{static_cast<int>(*at), list[*at].name, {}};
    open.rows.events = store.LoadMacro(list[*at].guid);
    return open;
}

/// Selects the 1-based ROW.
bool selectRow(const CommandContext& context, MacroRows& rows, const std::string& text, int& failure) {
    std::string problem;
    const auto row = parseOrdinal(text, "ROW", rows.events.size(), problem);
    if (!row) {
        failure = usageError(context, "macro", problem, kUsage);
        return false;
    }
    rows.selected = static_cast<int>(*row);
    return true;
}

/// What a row verb did, for its confirmation: the action, the row it leaves selected (0-based) and the
/// line the text prints.
struct RowChange {
    std::string_view action;
    int row;
    std::string line;
};

/// Saves the macro (unless nothing changed) and confirms the change.
int save(const CommandContext& context, std::string_view device, MacroStore& store, const OpenMacro& open,
         const RowChange& done, bool changed = true) {
    if (changed && !store.SaveMacro(open.position, open.rows.events)) {
        context.err << "halvernctl: the macro file cannot be written; the macro stays as it was\n";
        return kExitDeviceError;
    }
    if (!context.json) {
        context.out << done.line << '\n';
        return kExitOk;
    }
    Json::Value result = changeResult(device, "macroRows", done.action);
    result["position"] = open.position + 1;
    result["row"] = done.row + 1;
    result["rows"] = static_cast<Json::UInt64>(open.rows.events.size());
    printJson(context.out, result);
    return kExitOk;
}

/// "left down", "move-left 44": what a row does, for people.
std::string rowText(const EnglishTexts& texts, const MacroEvent& e) {
    const std::string_view id = EventTextId(e);
    const std::string name = id.empty() ? "type " + std::to_string(e.type) : texts.shown(id);
    if (e.type == macro_event_type::kMoveHorizontal || e.type == macro_event_type::kMoveVertical)
        return name + "  " + std::to_string(e.button);
    return name + "  " + (e.down ? "down" : "up");
}

// A word of the command line and the value it names.
template <typename Value>
struct Word {
    std::string_view word;
    Value value;
};

// The value `text` names in `words`; nothing for a word not in the table.
template <typename Value, size_t N>
std::optional<Value> valueOfWord(const std::array<Word<Value>, N>& words, std::string_view text) {
    for (const Word<Value>& w : words) {
        if (w.word == text) return w.value;
    }
    return std::nullopt;
}

constexpr std::array<Word<Movement>, 4> kMovements{{
    {"move-left", Movement::Left},
    {"move-right", Movement::Right},
    {"move-up", Movement::Up},
    {"move-down", Movement::Down},
}};

constexpr std::array<Word<RowMove>, 4> kRowMoves{{
    {"up", RowMove::Up},
    {"down", RowMove::Down},
    {"top", RowMove::Top},
    {"bottom", RowMove::Bottom},
}};

}  // namespace

int showMacroRows(const CommandContext& context, std::string_view device, MacroStore& store,
                  const CommandArgs& words) {
    int failure = kExitUsage;
    const auto open = openMacro(context, store, words[0], failure);
    if (!open) return failure;
    const EnglishTexts texts;
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["device"] = std::string(device);
        root["position"] = open->position + 1;
        root["name"] = open->name;
        root["rows"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < open->rows.events.size(); ++i) {
            const MacroEvent& e = open->rows.events[i];
            Json::Value row(Json::objectValue);
            row["row"] = static_cast<int>(i) + 1;
            row["text"] = rowText(texts, e);
            row["type"] = e.type;
            row["button"] = e.button;
            row["down"] = e.down;
            row["delay"] = e.delay;
            root["rows"].append(row);
        }
        printJson(context.out, root);
        return kExitOk;
    }
    for (size_t i = 0; i < open->rows.events.size(); ++i) {
        const MacroEvent& e = open->rows.events[i];
        context.out << i + 1 << "  " << rowText(texts, e) << "  " << e.delay << " ms\n";
    }
    if (open->rows.events.empty()) context.out << "the macro holds no rows\n";
    return kExitOk;
}

int insertMacroRows(const CommandContext& context, std::string_view device, MacroStore& store,
                    const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open) return failure;
    // ROW 0 is the place before the first row.
    const auto after = parseInteger(words[1], 0, static_cast<long>(open->rows.events.size()));
    if (!after) {
        return usageError(context, "macro",
                          "ROW takes 0-" + std::to_string(open->rows.events.size()) +
                              " (0: at the top), not '" + words[1] + "'",
                          kUsage);
    }
    const std::string& item = words[2];
    std::optional<std::vector<MacroEvent>> events;
    if (const auto movement = valueOfWord(kMovements, item)) {
        const auto distance = words.size() == 4 ? parseInteger(words[3], 0, 65535) : std::nullopt;
        if (!distance) return usageError(context, "macro", item + " needs a distance N (0-65535)", kUsage);
        events = std::vector<MacroEvent>{MovementEvent(*movement, *distance, kDefaultFixedDelay)};
    }
    if (!events) {
        if (words.size() == 4) return usageError(context, "macro", item + " takes no number", kUsage);
        events = MenuItemEvents(item, kDefaultFixedDelay);
    }
    if (!events) {
        return usageError(context, "macro",
                          "unknown item '" + item +
                              "' (left_down ... back_click, or move-left|move-right|move-up|move-down N)",
                          kUsage);
    }
    if (!InsertAtRow(open->rows, static_cast<size_t>(*after), *events)) {
        context.err << "halvernctl: a macro holds at most " << kMaxMacroEvents << " rows\n";
        return kExitDeviceError;
    }
    const int first = static_cast<int>(*after);
    return save(context, device, store, *open,
                {"inserted", first, "inserted " + item + " at row " + std::to_string(first + 1)});
}

int deleteMacroRow(const CommandContext& context, std::string_view device, MacroStore& store,
                   const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open || !selectRow(context, open->rows, words[1], failure)) return failure;
    const int row = open->rows.selected;
    if (!DeleteSelectedRow(open->rows))
        return usageError(context, "macro", "the macro holds no rows", kUsage);
    return save(context, device, store, *open, {"deleted", row, "deleted row " + std::to_string(row + 1)});
}

int moveMacroRow(const CommandContext& context, std::string_view device, MacroStore& store,
                 const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open || !selectRow(context, open->rows, words[1], failure)) return failure;
    const auto move = valueOfWord(kRowMoves, words[2]);
    if (!move) return usageError(context, "macro", "move-row takes up, down, top or bottom", kUsage);
    const int from = open->rows.selected;
    if (!MoveSelectedRow(open->rows, *move)) {
        return save(context, device, store, *open,
                    {"moved", from, "row " + std::to_string(from + 1) + " stays where it is"}, false);
    }
    return save(
        context, device, store, *open,
        {"moved", open->rows.selected,
         "moved row " + std::to_string(from + 1) + " to row " + std::to_string(open->rows.selected + 1)});
}

}  // namespace halvern::cli
