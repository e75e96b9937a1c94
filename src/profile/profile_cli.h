#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// `halvernctl profile KIND VERB [ARG]`: manages the profiles of one device kind in the user's data folder.
/// KIND is mouse, keyboard, mousepad or headset; VERB is list, add, copy, delete, rename NAME,
/// select INDEX (from 1, as the window lists them), reset, export FILE or import FILE. `args` starts at
/// KIND. With `json` the list and each change's confirmation are JSON (docs/CLI_JSON.md).
/// Returns the exit code: 0 done, 1 refused or failed (one line on `err`; nothing changed), 2 bad usage.
[[nodiscard]] int RunProfileCommand(const std::vector<std::string>& args, std::ostream& out,
                                    std::ostream& err, bool json = false);

/// The id of the profile selected for KIND (as RunProfileCommand takes it); empty when the kind is unknown
/// or its list cannot be read.
[[nodiscard]] std::string SelectedProfileId(std::string_view kindWord);
/// Selects KIND's profile with this id again (a switch the device refused is undone). False when there is
/// no such profile or the list cannot be written.
[[nodiscard]] bool SelectProfileId(std::string_view kindWord, const std::string& id);

}  // namespace halvern
