#include "devices/linux_audio/surround_chain.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

namespace halvern::audio {
namespace {

// The speakers in the channel order of the impulse-response files (PipeWire calls the rear pair RL, RR).
constexpr std::array<std::string_view, 8> kSpeakers{"FL", "FR", "FC", "LFE", "RL", "RR", "SL", "SR"};

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

void appendAll(std::string& text, std::initializer_list<std::string_view> parts) {
    for (const std::string_view part : parts) text += part;
}

std::string graph(const SurroundChain& chain) {
    std::string nodes;
    std::string links;
    std::string inputs;
    for (size_t s = 0; s < kSpeakers.size(); ++s) {
        const std::string speaker(kSpeakers[s]);
        const std::string mixerInput = " " + std::to_string(s + 1);
        nodes += "        { type = builtin label = copy name = in_" + speaker + " }\n";
        for (const auto& [ear, file] :
             {std::pair{"left", &chain.responses.left}, std::pair{"right", &chain.responses.right}}) {
            const std::string name = std::string(ear) + "_" + speaker;
            nodes += "        { type = builtin label = convolver name = " + name +
                     " config = { filename = " + inQuotes(*file) + " channel = " + std::to_string(s) +
                     " } }\n";
            appendAll(links, {"        { output = \"in_", speaker, ":Out\" input = \"", name, ":In\" }\n"});
            appendAll(links, {"        { output = \"", name, ":Out\" input = \"ear_", ear, ":In", mixerInput,
                              "\" }\n"});
        }
        inputs += " \"in_" + speaker + ":In\"";
    }
    nodes += "        { type = builtin label = mixer name = ear_left }\n";
    nodes += "        { type = builtin label = mixer name = ear_right }\n";
    return "      nodes = [\n" + nodes + "      ]\n      links = [\n" + links + "      ]\n      inputs = [" +
           inputs + " ]\n      outputs = [ \"ear_left:Out\" \"ear_right:Out\" ]\n";
}

}  // namespace

bool quotableInChain(const std::string& text) {
    return !text.empty() && text.find_first_of("\"\\\n") == std::string::npos;
}

std::string surroundChainConfig(const SurroundChain& chain) {
    std::string positions;
    for (const std::string_view speaker : kSpeakers) positions += " " + std::string(speaker);
    return "# Made by Halvern for the headset's virtual surround; run as pipewire -c <this file>.\n"
           "context.properties = { log.level = 0 }\n"
           "context.spa-libs = {\n"
           "  audio.convert.* = audioconvert/libspa-audioconvert\n"
           "  support.* = support/libspa-support\n"
           "}\n"
           "context.modules = [\n"
           "  { name = libpipewire-module-rt args = { } flags = [ ifexists nofail ] }\n"
           "  { name = libpipewire-module-protocol-native }\n"
           "  { name = libpipewire-module-client-node }\n"
           "  { name = libpipewire-module-adapter }\n"
           "  { name = libpipewire-module-filter-chain\n"
           "    args = {\n"
           "      node.description = " +
           inQuotes(chain.description) + "\n      media.name = " + inQuotes(chain.description) +
           "\n      filter.graph = {\n" + graph(chain) +
           "      }\n"
           "      capture.props = {\n"
           "        node.name = " +
           inQuotes(chain.sink) +
           "\n        media.class = Audio/Sink\n"
           "        audio.channels = 8\n"
           "        audio.position = [" +
           positions +
           " ]\n        halvern.role = surround\n        halvern.master = " + inQuotes(chain.master) +
           "\n        halvern.chain = " + inQuotes(chain.file) +
           "\n      }\n"
           "      playback.props = {\n"
           "        node.name = " +
           inQuotes(chain.sink + ".ears") +
           "\n        node.passive = true\n"
           "        audio.channels = 2\n"
           "        audio.position = [ FL FR ]\n"
           "        stream.dont-remix = true\n"
           "        target.object = " +
           inQuotes(chain.master) +
           "\n        halvern.role = surround-ears\n"
           "      }\n"
           "    }\n"
           "  }\n"
           "]\n";
}

std::optional<std::string> writeSurroundChain(SurroundChain chain, const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string pattern = folder + "/surround-XXXXXX.conf";
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd < 0) return std::nullopt;
    chain.file = pattern;
    const std::string text = surroundChainConfig(chain);
    bool written = quotableInChain(chain.file);
    for (size_t at = 0; written && at < text.size();) {
        const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
        written = n > 0;
        if (written) at += static_cast<size_t>(n);
    }
    written = ::close(fd) == 0 && written;
    if (!written) {
        std::filesystem::remove(chain.file, error);
        return std::nullopt;
    }
    return chain.file;
}

std::optional<pid_t> surroundChainProcess(const std::string& file) {
    std::error_code error;
    const uid_t me = ::getuid();
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != me) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        constexpr size_t kMostCommandLine = 8192;
        std::string line(kMostCommandLine, '\0');
        in.read(line.data(), static_cast<std::streamsize>(line.size()));
        line.resize(static_cast<size_t>(in.gcount()));
        // argv: the pipewire program, "-c", the file.
        const size_t first = line.find('\0');
        if (first == std::string::npos) continue;
        const std::string_view program(line.data(), first);
        if (!program.ends_with("pipewire")) continue;
        if (line.substr(first + 1) != std::string("-c") + '\0' + file + '\0') continue;
        pid_t pid = 0;
        const auto [end, failed] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (failed == std::errc() && end == name.data() + name.size()) return pid;
    }
    return std::nullopt;
}

}  // namespace halvern::audio
