#include "cli/standard_files.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "cli/cli_support.h"
#include "cli/command_table.h"
#include "cli/global_options.h"

namespace halvern::cli {
namespace {

/// The index in `args` of the FILE word of an import from "-"; nothing for any other command line. The
/// verb is one of the first two words that are not options (profile KIND import FILE, macro import FILE,
/// recoil import GUN FILE) and FILE the last.
std::optional<size_t> standardInputWord(const GlobalOptions& options) {
    const CommandRow* row = findCommandRow(options.command);
    if (!row || !WordList::contains(row->fileVerbs, "import")) return std::nullopt;
    std::vector<size_t> positional;
    bool ended = false;
    for (size_t i = 0; i < options.args.size(); ++i) {
        const std::string& word = options.args[i];
        if (!ended && word == "--") {
            ended = true;
            continue;
        }
        if (!ended && word.starts_with("--")) {
            const OptionRow* option = findOptionRow(*row, word.substr(0, word.find('=')));
            if (option && !option->value.empty() && word.find('=') == std::string::npos) ++i;
            continue;
        }
        positional.push_back(i);
    }
    if (positional.size() < 2 || options.args[positional.back()] != kStandardStream) return std::nullopt;
    const bool imports = options.args[positional[0]] == "import" ||
                         (positional.size() > 2 && options.args[positional[1]] == "import");
    if (!imports) return std::nullopt;
    return positional.back();
}

}  // namespace

std::optional<ScratchFile> ScratchFile::create(std::string_view name) {
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error) return std::nullopt;
    std::string pattern = (temp / "halvernctl-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return std::nullopt;  // made with mode 0700
    const std::filesystem::path folder(pattern);
    return ScratchFile(folder, folder / name);
}

ScratchFile::ScratchFile(std::filesystem::path folder, std::filesystem::path path)
    : m_folder(std::move(folder)), m_path(std::move(path)) {}

ScratchFile::ScratchFile(ScratchFile&& other) noexcept
    : m_folder(std::exchange(other.m_folder, {})), m_path(std::exchange(other.m_path, {})) {}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
    if (this != &other) {
        ScratchFile old(std::move(*this));
        m_folder = std::exchange(other.m_folder, {});
        m_path = std::exchange(other.m_path, {});
    }
    return *this;
}

ScratchFile::~ScratchFile() {
    if (m_folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

StandardInput takeStandardInput(std::vector<std::string>& words, std::istream& in, std::ostream& err) {
    std::ostringstream ignored;  // a bad command line is reported when it runs
    const auto options = parseGlobalOptions(words, ignored);
    if (!options || options->help || !standardInputWord(*options)) return {};
    // The word is the last "-" of the line: options and their values come before it or are not "-".
    size_t at = words.size();
    while (at > 0 && words[at - 1] != kStandardStream) --at;
    if (at == 0) return {};

    StandardInput taken;
    // Named as an import without a name of its own is: "profile", "macro".
    taken.file = ScratchFile::create(options->command);
    std::ofstream file;
    if (taken.file) file.open(taken.file->path(), std::ios::binary | std::ios::trunc);
    if (!file) {
        err << "halvernctl: cannot keep standard input in a temporary file\n";
        taken.failure = kExitDeviceError;
        return taken;
    }
    char buffer[64 * 1024];
    size_t total = 0;
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        total += static_cast<size_t>(in.gcount());
        if (total > kMaxStandardInput) {
            err << "halvernctl: standard input holds more than " << kMaxStandardInput / (size_t{1024} * 1024)
                << " MiB; nothing was imported\n";
            taken.failure = kExitDeviceError;
            return taken;
        }
        file.write(buffer, in.gcount());
    }
    file.close();
    if (!file || in.bad()) {
        err << "halvernctl: cannot read standard input; nothing was imported\n";
        taken.failure = kExitDeviceError;
        return taken;
    }
    words[at - 1] = taken.file->path().string();
    return taken;
}

bool exportToFile(const std::string& file, std::ostream& out,
                  const std::function<bool(const std::filesystem::path&)>& write) {
    if (file != kStandardStream) return write(file);
    const auto scratch = ScratchFile::create("standard-output");
    if (!scratch || !write(scratch->path())) return false;
    std::ifstream in(scratch->path(), std::ios::binary);
    if (!in) return false;
    if (in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    return static_cast<bool>(out);
}

}  // namespace halvern::cli
