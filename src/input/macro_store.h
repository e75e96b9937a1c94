#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/event_file_import.h"
#include "input/macro_event.h"

namespace halvern {

/// One macro of a device's list: its name and the id that names its file "<Guid>.mac".
struct MacroEntry {
    std::string name;
    std::string guid;
    bool operator==(const MacroEntry&) const = default;
};

enum class RenameResult {
    kDone,
    kBlank,      ///< the new name is empty or only white space
    kInvalid,    ///< the name rule refuses it otherwise (CheckName: a control character, too long)
    kDuplicate,  ///< some macro (this one included) already has the name, ignoring case
    kFailed,     ///< no macro at that position, or the list could not be written
};

/// The macros of one device: the list "macro.config" and one file per macro, all in the device's data
/// folder. Every operation reads the list afresh and writes it back at once, so several stores on the
/// same folder (device object, editor) always agree. A position in the list is the macro number that key
/// assignments refer to; entries whose Guid is not a plain file name keep their position but their files
/// are never touched.
class MacroStore {
public:
    static constexpr size_t kMaxMacros = 50;
    static constexpr int kMacroFileVersion = 64;

    explicit MacroStore(std::filesystem::path folder);

    /// The list in order; empty when "macro.config" is missing or unreadable.
    [[nodiscard]] std::vector<MacroEntry> LoadMacroList() const;

    /// Appends "macro_<n>" (smallest free n, ignoring case) with a new Guid. Returns the name, or an empty
    /// text when the list is full or could not be written. No macro file is made yet.
    [[nodiscard]] std::string AddMacro();

    /// Renames the macro at `position`. The name is stored as given; it is refused when blank after
    /// trimming or equal to any name of the list ignoring case (its own name too).
    [[nodiscard]] RenameResult RenameMacro(int position, std::string_view name);

    /// Deletes the macro file and the entry; later macros move up one position. Returns `position`, or -1
    /// when there is no such entry (an empty list) or the list could not be written.
    [[nodiscard]] int DeleteMacro(int position);

    /// The events of the macro with this Guid; none when the file is missing, unreadable or the Guid is not
    /// a plain file name.
    [[nodiscard]] std::vector<MacroEvent> LoadMacro(std::string_view guid) const;

    /// Writes the macro file of the entry at `position`: its name and Guid from the list, the events,
    /// version 64. False when there is no such entry or the write failed.
    [[nodiscard]] bool SaveMacro(int position, std::span<const MacroEvent> events);

    /// Copies the macro file of `position` byte for byte to `target`. False when it cannot.
    [[nodiscard]] bool ExportMacro(int position, const std::filesystem::path& target) const;

    /// Adds a macro (named by the naming rule, not by the file) and copies `source` byte for byte over its
    /// file, once it has checked that the source is a file of macro events (CheckEventFile). Gives the
    /// new name with Imported; anything else changed nothing.
    struct Imported {
        ImportResult result = ImportResult::Unreadable;
        std::string name;
    };
    [[nodiscard]] Imported ImportMacro(const std::filesystem::path& source);

    /// "<folder>/<guid>.mac", or an empty path when the Guid is not a plain file name.
    [[nodiscard]] std::filesystem::path MacroPath(std::string_view guid) const;

    /// "<folder>/macro.config".
    [[nodiscard]] std::filesystem::path ListPath() const;

private:
    [[nodiscard]] bool writeList(const std::vector<MacroEntry>& entries) const;
    [[nodiscard]] std::string newGuid(const std::vector<MacroEntry>& entries) const;
    /// Appends a new entry and writes the list; the entry's position, or -1.
    [[nodiscard]] int appendEntry(std::vector<MacroEntry>& entries) const;

    std::filesystem::path m_folder;
};

/// The first "macro_<n>", n >= 1, that no name equals ignoring case.
[[nodiscard]] std::string NewMacroName(std::span<const MacroEntry> entries);

}  // namespace halvern
