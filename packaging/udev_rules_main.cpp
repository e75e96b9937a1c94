// Writes the udev rules of the supported devices to the file named on the command line (a build step, so
// the installed rules always come from the same table as the program).
#include <cstdio>
#include <fstream>

#include "device/udev_rules.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    const std::string text = halvern::makeUdevRules();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
