#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halvern {

/// One language on offer, an entry of "Language.config".
struct LanguageEntry {
    std::string name;    ///< "Language_name"
    std::string file;    ///< "Language_file": the language file in the resource folder's "lang"
    std::string textId;  ///< "Language_text": how the language list names it
    int64_t id = 0;      ///< "Language_ID": the number that is stored
};

/// The number a missing stored choice reads as.
inline constexpr int64_t kUnsetLanguageNumber = 520;

/// "Language.config" of the default data folder.
[[nodiscard]] std::filesystem::path LanguageListFile();

/// The entries of a language list file, in order; empty when it is missing or not one. An entry whose
/// file is not a plain file name gets no file (nothing outside the language folder is ever read).
[[nodiscard]] std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& file);

/// The index of the first entry with the stored number (kUnsetLanguageNumber when none is stored), else 0.
[[nodiscard]] int FindStoredLanguage(std::span<const LanguageEntry> languages, std::optional<int64_t> stored);

/// Where the chosen language's number is kept: "language.json" in the configuration folder.
[[nodiscard]] std::filesystem::path LanguageChoiceFile();

/// The stored number, or nothing when none is stored.
[[nodiscard]] std::optional<int64_t> ReadLanguageNumber(const std::filesystem::path& file);

/// Stores the number (creating the folder). False when it could not be written.
[[nodiscard]] bool WriteLanguageNumber(const std::filesystem::path& file, int64_t number);

/// Whether changing from language index `current` (-1: none applied yet) to `next` rebuilds the fonts:
/// when either of them is one of the indices whose scripts need fonts of their own (0, 2, 15), or none
/// has been applied yet.
[[nodiscard]] bool LanguageChangeRebuildsFonts(int current, int next);

}  // namespace halvern
