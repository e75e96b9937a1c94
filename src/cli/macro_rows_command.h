#pragma once

#include "cli/command_context.h"
#include "input/macro_store.h"

namespace halvern::cli {

// The row verbs of `macro`: the events of one macro, changed the way the macro editor changes them and
// saved at once. POSITION is the macro's place in the list, ROW a row of it, both counted from 1; `device`
// (mouse, keyboard) is the device whose macros they are, for the JSON results.

/// `macro show POSITION`: one line per row (number, key or action, down/up or distance, delay); `--json`
/// gives the rows.
[[nodiscard]] int showMacroRows(const CommandContext& context, std::string_view device, MacroStore& store,
                                const CommandArgs& words);
/// `macro insert POSITION ROW ITEM [N]`: ITEM is an action menu item ("left_click", ...) or move-left,
/// move-right, move-up, move-down with the distance N; inserted after ROW (0 to the row count; 0 puts it
/// at the top) with the fixed delay.
[[nodiscard]] int insertMacroRows(const CommandContext& context, std::string_view device, MacroStore& store,
                                  const CommandArgs& words);
/// `macro delete-row POSITION ROW`.
[[nodiscard]] int deleteMacroRow(const CommandContext& context, std::string_view device, MacroStore& store,
                                 const CommandArgs& words);
/// `macro move-row POSITION ROW up|down|top|bottom`.
[[nodiscard]] int moveMacroRow(const CommandContext& context, std::string_view device, MacroStore& store,
                               const CommandArgs& words);

}  // namespace halvern::cli
