// halvernctl: the command-line front end over the same core as the application. While the application
// runs, it carries the commands out on the devices it holds; otherwise halvernctl opens them itself.

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/application_client.h"
#include "cli/command_line.h"

int main(int argc, char** argv) {
    using namespace halvern::cli;
    const std::vector<std::string> words(argv + 1, argv + argc);
    std::ostringstream ignored;  // a bad option is reported by the run below
    if (const auto options = parseGlobalOptions(words, ignored); options && runsInApplication(*options)) {
        if (const auto code = runInApplication(words, std::cout, std::cerr)) return *code;
    }
    return runCommandLine(words, std::cout, std::cerr);
}
