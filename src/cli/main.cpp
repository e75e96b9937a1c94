// halvernctl: the command-line front end over the same core as the application. While the application
// runs, it carries the commands out on the devices it holds; otherwise halvernctl opens them itself.

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/application_client.h"
#include "cli/command_line.h"
#include "cli/standard_files.h"

int main(int argc, char** argv) {
    using namespace halvern::cli;
    std::vector<std::string> words(argv + 1, argv + argc);
    // An import from "-" reads standard input here, so the application can carry it out as well.
    const StandardInput input = takeStandardInput(words, std::cin, std::cerr);
    if (input.failure != 0) return input.failure;
    std::ostringstream ignored;  // a bad option is reported by the run below
    if (const auto options = parseGlobalOptions(words, ignored); options && runsInApplication(*options)) {
        if (const auto code = runInApplication(words, std::cout, std::cerr)) return *code;
    }
    return runCommandLine(words, std::cout, std::cerr);
}
