#pragma once

#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::cli {

// FILE "-" on a command line: standard output for an export, standard input for an import.

/// The word that names the standard streams where a FILE goes.
inline constexpr std::string_view kStandardStream = "-";
/// Standard input read for an import: more is refused (a profile, a macro or a pattern is far smaller).
inline constexpr size_t kMaxStandardInput = size_t{16} * 1024 * 1024;

/// A file in a folder of its own under the temporary folder (only this user may enter it); both are
/// removed with the object.
class ScratchFile {
public:
    /// Nothing when the folder cannot be made.
    [[nodiscard]] static std::optional<ScratchFile> create(std::string_view name);
    ScratchFile(ScratchFile&& other) noexcept;
    ScratchFile& operator=(ScratchFile&& other) noexcept;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    ScratchFile(std::filesystem::path folder, std::filesystem::path path);
    std::filesystem::path m_folder;
    std::filesystem::path m_path;
};

/// Standard input taken for a command line that imports from "-".
struct StandardInput {
    std::optional<ScratchFile> file;  ///< holds what was read; its path took the place of the "-"
    int failure = 0;                  ///< non-zero: the exit code, with one line written
};

/// When the command line (the program's words) imports from "-", reads `in` (at most kMaxStandardInput
/// bytes) into a scratch file and puts its path in the place of that word; otherwise changes nothing.
/// The words then mean the same whether halvernctl or the running application carries them out.
[[nodiscard]] StandardInput takeStandardInput(std::vector<std::string>& words, std::istream& in,
                                              std::ostream& err);

/// Exports with `write` into `file`, or, when it is "-", into a scratch file copied to `out`. False when
/// `write` failed or the copy could not be made.
[[nodiscard]] bool exportToFile(const std::string& file, std::ostream& out,
                                const std::function<bool(const std::filesystem::path&)>& write);

}  // namespace halvern::cli
