#include "sound_companion/wav_file.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>

namespace halvern::sound {

namespace {

uint32_t readLe(std::span<const uint8_t> bytes, std::size_t at, std::size_t width) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return v;
}

struct Format {
    uint16_t tag = 0;  // 1 integer PCM, 3 float, 0xFFFE extensible (the sub-format's tag follows)
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bits = 0;
};

float sampleAt(std::span<const uint8_t> data, std::size_t at, const Format& f) {
    const std::size_t width = f.bits / 8U;
    const uint32_t raw = readLe(data, at, width);
    if (f.tag == 3) {
        float v = 0;
        std::memcpy(&v, &raw, sizeof v);
        return v;
    }
    if (width == 1) return (static_cast<float>(raw) - 128.0F) / 128.0F;  // 8-bit samples are unsigned
    const uint32_t shifted = raw << (32 - 8 * width);                    // sign-extend through the top bit
    return static_cast<float>(static_cast<int32_t>(shifted)) / 2147483648.0F;
}

}  // namespace

bool readWav(const std::string& path, WavSound& sound, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::span<const uint8_t> bytes(file);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a WAV file";
        return false;
    }
    Format format;
    std::span<const uint8_t> data;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = readLe(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available =
            std::min<std::size_t>(size, bytes.size() - body);  // a cut-off last chunk
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && available >= 16) {
            format.tag = static_cast<uint16_t>(readLe(bytes, body, 2));
            format.channels = static_cast<uint16_t>(readLe(bytes, body + 2, 2));
            format.sampleRate = readLe(bytes, body + 4, 4);
            format.bits = static_cast<uint16_t>(readLe(bytes, body + 14, 2));
            if (format.tag == 0xFFFE && available >= 26)
                format.tag = static_cast<uint16_t>(readLe(bytes, body + 24, 2));
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            data = bytes.subspan(body, available);
        }
        at = body + available + (available % 2);  // chunks are padded to an even length
    }
    const bool integer = format.tag == 1 && format.bits >= 8 && format.bits <= 32 && format.bits % 8 == 0;
    const bool floating = format.tag == 3 && format.bits == 32;
    if (!(integer || floating) || format.channels == 0 || format.sampleRate < 8000 ||
        format.sampleRate > 384000) {
        error = path + ": only PCM or float WAV files of 8 kHz to 384 kHz can be read";
        return false;
    }
    const std::size_t frameBytes = std::size_t{format.channels} * (format.bits / 8U);
    const std::size_t frames = data.size() / frameBytes;
    sound.sampleRate = static_cast<int>(format.sampleRate);
    sound.samples.assign(frames, 0.0F);
    for (std::size_t i = 0; i < frames; ++i) {
        float sum = 0;
        for (std::size_t c = 0; c < format.channels; ++c)
            sum += sampleAt(data, i * frameBytes + c * (format.bits / 8U), format);
        sound.samples[i] = sum / static_cast<float>(format.channels);
    }
    return true;
}

}  // namespace halvern::sound
