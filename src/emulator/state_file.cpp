#include "emulator/state_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace halvern::emu {
namespace {

// File layout: magic line; per persistent region: region byte, 32-bit LE length, the bytes;
// then a 32-bit LE FNV-1a value of everything before it.
constexpr std::string_view kMagic = "HALVERN-EMULATOR-STATE 1\n";
constexpr size_t kMaxFileSize = 1 << 20;

uint32_t fnv1a(const std::vector<uint8_t>& bytes, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t getLe32(const std::vector<uint8_t>& in, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | in[at + static_cast<size_t>(i)];
    return value;
}

std::vector<uint8_t> readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::vector<uint8_t> bytes;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        bytes.insert(bytes.end(), chunk, chunk + file.gcount());
        if (bytes.size() > kMaxFileSize) return {};
    }
    return bytes;
}

}  // namespace

bool loadStateFile(const std::filesystem::path& path, MemoryImage& image) {
    const std::vector<uint8_t> bytes = readWholeFile(path);
    if (bytes.size() < kMagic.size() + 4) return false;
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return false;
    const size_t body = bytes.size() - 4;
    if (getLe32(bytes, body) != fnv1a(bytes, body)) return false;

    MemoryImage loaded = image;
    size_t at = kMagic.size();
    for (Region region : MemoryImage::kPersistent) {
        if (body - at < 5) return false;
        if (bytes[at] != static_cast<uint8_t>(region)) return false;
        const uint32_t length = getLe32(bytes, at + 1);
        at += 5;
        if (length != loaded[region].size() || body - at < length) return false;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length, loaded[region].begin());
        at += length;
    }
    if (at != body) return false;
    image = std::move(loaded);
    return true;
}

bool saveStateFile(const std::filesystem::path& path, const MemoryImage& image) {
    std::vector<uint8_t> bytes(kMagic.begin(), kMagic.end());
    for (Region region : MemoryImage::kPersistent) {
        bytes.push_back(static_cast<uint8_t>(region));
        putLe32(bytes, static_cast<uint32_t>(image[region].size()));
        bytes.insert(bytes.end(), image[region].begin(), image[region].end());
    }
    putLe32(bytes, fnv1a(bytes, bytes.size()));

    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace halvern::emu
