#include "sound_companion/block_printer.h"

#include <span>

namespace halvern::sound {

namespace {

bool printArray(std::FILE* out, std::span<const int32_t> values) {
    bool ok = std::fputc('[', out) != EOF;
    for (std::size_t i = 0; i < values.size(); ++i)
        ok = ok && std::fprintf(out, i == 0 ? "%d" : ",%d", values[i]) > 0;
    return ok && std::fputc(']', out) != EOF;
}

}  // namespace

bool printBlock(std::FILE* out, long long milliseconds, const SoundBlock& block) {
    bool ok = std::fprintf(out, R"({"ms":%lld,"silent":%s,"raw":)", milliseconds,
                           block.silent ? "true" : "false") > 0;
    ok = ok && printArray(out, block.raw) && std::fputs(R"(,"six":)", out) != EOF;
    ok = ok && printArray(out, block.six) && std::fputs("}\n", out) != EOF;
    return ok;
}

}  // namespace halvern::sound
