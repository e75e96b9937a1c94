// The row verbs of halvernctl macro; see macro_rows_command.h.

#include "cli/macro_rows_command.h"

#include <json/json.h>

#include <array>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/names.h"
#include "input/macro_recorder.h"
#include "input/macro_rows.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl macro show POSITION | insert POSITION ROW ITEM [N] | delete-row POSITION ROW | "
    "move-row POSITION ROW up|down|top|bottom";

/// The macro at a position of the list with its rows; nothing, with a usage line, when there is none.
struct OpenMacro {
    int position;
    MacroRows rows;
};

std::optional<OpenMacro> openMacro(const CommandContext& context, const MacroStore& store,
                                   const std::string& text, int& failure) {
    const std::vector<MacroEntry> list = store.LoadMacroList();
    const auto value = parseInteger(text, 0, static_cast<long>(MacroStore::kMaxMacros) - 1);
    if (!value || static_cast<size_t>(*value) >= list.size()) {
        failure = usageError(
            context, "macro",
            "no macro at position '" + text + "' (the list holds " + std::to_string(list.size()) + ")",
            kUsage);
        return std::nullopt;
    }
    OpenMacro open{static_cast<int>(*value), {}};
    open.rows.events = store.LoadMacro(list[static_cast<size_t>(*value)].guid);
    return open;
}

/// Selects ROW; in an empty macro only row 0 is accepted (nothing selected).
bool selectRow(const CommandContext& context, MacroRows& rows, const std::string& text, int& failure) {
    const long last = rows.events.empty() ? 0 : static_cast<long>(rows.events.size()) - 1;
    const auto row = parseInteger(text, 0, last);
    if (!row) {
        failure = usageError(
            context, "macro",
            "no row '" + text + "' (the macro holds " + std::to_string(rows.events.size()) + " rows)",
            kUsage);
        return false;
    }
    rows.selected = rows.events.empty() ? -1 : static_cast<int>(*row);
    return true;
}

int save(const CommandContext& context, MacroStore& store, const OpenMacro& open, const std::string& done) {
    if (!store.SaveMacro(open.position, open.rows.events)) {
        context.err << "halvernctl: the macro file cannot be written; the macro stays as it was\n";
        return kExitDeviceError;
    }
    context.out << done << '\n';
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

int showMacroRows(const CommandContext& context, MacroStore& store, const CommandArgs& words) {
    int failure = kExitUsage;
    const auto open = openMacro(context, store, words[0], failure);
    if (!open) return failure;
    if (context.json) {
        Json::Value events(Json::arrayValue);
        for (const MacroEvent& e : open->rows.events) events.append(EventToJson(e));
        context.out << events.toStyledString();
        return kExitOk;
    }
    const EnglishTexts texts;
    for (size_t i = 0; i < open->rows.events.size(); ++i) {
        const MacroEvent& e = open->rows.events[i];
        context.out << i << "  " << rowText(texts, e) << "  " << e.delay << " ms\n";
    }
    if (open->rows.events.empty()) context.out << "the macro holds no rows\n";
    return kExitOk;
}

int insertMacroRows(const CommandContext& context, MacroStore& store, const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open || !selectRow(context, open->rows, words[1], failure)) return failure;
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
    if (!InsertAfterSelection(open->rows, *events)) {
        context.err << "halvernctl: a macro holds at most " << kMaxMacroEvents << " rows\n";
        return kExitDeviceError;
    }
    return save(context, store, *open,
                "inserted " + item + " at row " +
                    std::to_string(open->rows.selected + 1 - static_cast<int>(events->size())));
}

int deleteMacroRow(const CommandContext& context, MacroStore& store, const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open || !selectRow(context, open->rows, words[1], failure)) return failure;
    if (!DeleteSelectedRow(open->rows))
        return usageError(context, "macro", "the macro holds no rows", kUsage);
    return save(context, store, *open, "deleted row " + words[1]);
}

int moveMacroRow(const CommandContext& context, MacroStore& store, const CommandArgs& words) {
    int failure = kExitUsage;
    auto open = openMacro(context, store, words[0], failure);
    if (!open || !selectRow(context, open->rows, words[1], failure)) return failure;
    const auto move = valueOfWord(kRowMoves, words[2]);
    if (!move) return usageError(context, "macro", "move-row takes up, down, top or bottom", kUsage);
    if (!MoveSelectedRow(open->rows, *move)) {
        context.out << "row " << words[1] << " stays where it is\n";
        return kExitOk;
    }
    return save(context, store, *open,
                "moved row " + words[1] + " to row " + std::to_string(open->rows.selected));
}

}  // namespace halvern::cli
