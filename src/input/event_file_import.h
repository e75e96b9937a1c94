#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// What became of a macro or recoil pattern import.
enum class ImportResult {
    Imported,
    Unreadable,   ///< missing, empty, too large or not a regular file
    NotEvents,    ///< readable, but not a file of macro events (JSON object with an "Events" array)
    ListFull,     ///< the macro list has no room for another macro
    WriteFailed,  ///< the copy could not be written; nothing changed
};

/// Checks a file offered for import before anything is replaced: Imported when it reads as a JSON object
/// whose "Events" is an array of event objects (each with "Action" and "Type", as the program writes
/// them), else why not. An empty "Events" array is a file of events (a macro with nothing recorded yet).
[[nodiscard]] ImportResult CheckEventFile(const std::filesystem::path& source);

/// The reason of a refused import in words, for one line of a message ("it is not a macro file" for
/// NotEvents with `kind` "macro"). Empty for Imported.
[[nodiscard]] std::string ImportProblem(ImportResult result, std::string_view kind);

}  // namespace halvern
