// Writes halvernctl's manual page or its bash completion from the command table (a build step, so the
// installed files always name the commands and options the program takes).
//   halvernctl_docs man TEMPLATE OUTPUT VERSION
//   halvernctl_docs bash OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "cli/command_docs.h"

namespace {

bool writeFile(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) std::fprintf(stderr, "cannot write %s\n", path);
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view what = argc > 1 ? argv[1] : "";
    if (what == "bash" && argc == 3) return writeFile(argv[2], halvern::cli::bashCompletion()) ? 0 : 1;
    if (what == "man" && argc == 5) {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) {
            std::fprintf(stderr, "cannot read %s\n", argv[2]);
            return 1;
        }
        return writeFile(argv[3], halvern::cli::manPage(page, argv[4])) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s man TEMPLATE OUTPUT VERSION | bash OUTPUT\n", argv[0]);
    return 2;
}
