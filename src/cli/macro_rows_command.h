#pragma once

#include "cli/command_context.h"
#include "input/macro_store.h"

namespace halvern::cli {

// The row verbs of `macro`: the events of one macro, changed the way the macro editor changes them and
// saved at once. POSITION is the macro's place in the list, ROW the selected row (0-based).

/// `macro show POSITION`: one line per row (index, key or action, down/up or distance, delay); `--json`
/// gives the events.
[[nodiscard]] int showMacroRows(const CommandContext& context, MacroStore& store, const CommandArgs& words);
/// `macro insert POSITION ROW ITEM [N]`: ITEM is an action menu item ("left_click", ...) or move-left,
/// move-right, move-up, move-down with the distance N; inserted after ROW with the fixed delay.
[[nodiscard]] int insertMacroRows(const CommandContext& context, MacroStore& store, const CommandArgs& words);
/// `macro delete-row POSITION ROW`.
[[nodiscard]] int deleteMacroRow(const CommandContext& context, MacroStore& store, const CommandArgs& words);
/// `macro move-row POSITION ROW up|down|top|bottom`.
[[nodiscard]] int moveMacroRow(const CommandContext& context, MacroStore& store, const CommandArgs& words);

}  // namespace halvern::cli
