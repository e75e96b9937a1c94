#include "devices/linux_audio/hrir_files.h"

#include <mysofa.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <vector>

namespace halvern::audio {
namespace {

constexpr std::string_view kDebianSet = "/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa";
constexpr uint32_t kLowestRate = 8000;
constexpr uint32_t kHighestRate = 192000;
constexpr float kDistance = 1.4f;  // metres, as the KEMAR set was measured
constexpr size_t kSpeakers = 8;
// WAVE_FORMAT_EXTENSIBLE's speaker bits in channel order: FL, FR, FC, LFE, BL, BR, SL, SR.
constexpr uint32_t kChannelMask = 0x1 | 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x200 | 0x400;
// Degrees, counter-clockwise seen from above (positive: to the left), in the same order.
constexpr std::array<float, kSpeakers> kAzimuths{30, -30, 0, 0, 150, -150, 90, -90};
// Longer than any delay plus response of a measured set at these rates.
constexpr int kMostTaps = 16384;

struct SofaCloser {
    void operator()(MYSOFA_EASY* easy) const { mysofa_close(easy); }
};

void put16(std::ofstream& out, uint16_t v) {
    const std::array<char, 2> bytes{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(bytes.data(), bytes.size());
}
void put32(std::ofstream& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}

// An 8-channel 32-bit float WAV whose channel mask names the speakers. `samples` is interleaved.
bool writeWav(const std::filesystem::path& path, uint32_t rate, const std::vector<float>& samples) {
    const std::filesystem::path temporary = path.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        constexpr uint32_t kFormatSize = 40;
        const auto dataSize = static_cast<uint32_t>(samples.size() * sizeof(float));
        out.write("RIFF", 4);
        put32(out, 4 + (8 + kFormatSize) + (8 + dataSize));
        out.write("WAVEfmt ", 8);
        put32(out, kFormatSize);
        put16(out, 0xFFFE);  // extensible
        put16(out, kSpeakers);
        put32(out, rate);
        put32(out, rate * kSpeakers * sizeof(float));
        put16(out, kSpeakers * sizeof(float));  // block
        put16(out, 32);                         // bits
        put16(out, 22);                         // extension size
        put16(out, 32);                         // valid bits
        put32(out, kChannelMask);
        // KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
        constexpr std::array<uint8_t, 16> kFloat{0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        out.write(reinterpret_cast<const char*>(kFloat.data()), kFloat.size());
        out.write("data", 4);
        put32(out, dataSize);
        out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataSize));
        out.flush();
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

}  // namespace

std::optional<std::string> findHrtfSet() {
    std::error_code error;
    if (const char* chosen = std::getenv("HALVERN_HRTF"); chosen != nullptr && *chosen != '\0')
        return std::filesystem::is_regular_file(chosen, error) ? std::optional<std::string>(chosen)
                                                               : std::nullopt;
    if (std::filesystem::is_regular_file(kDebianSet, error)) return std::string(kDebianSet);
    return std::nullopt;
}

std::optional<std::string> hrirFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
        return std::string(cache) + "/halvern";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        return std::string(home) + "/.cache/halvern";
    return std::nullopt;
}

std::optional<HrirFiles> makeHrirFiles(const std::string& set, uint32_t rate, const std::string& folder) {
    if (rate < kLowestRate || rate > kHighestRate) return std::nullopt;
    // One pair per set and rate: the set's file name and its size tell sets apart.
    std::error_code error;
    const auto size = std::filesystem::file_size(set, error);
    if (error) return std::nullopt;
    const std::string stem = folder + "/hrir-" + std::filesystem::path(set).stem().string() + "-" +
                             std::to_string(size) + "-" + std::to_string(rate);
    HrirFiles files{stem + "-left.wav", stem + "-right.wav"};
    if (std::filesystem::is_regular_file(files.left, error) &&
        std::filesystem::is_regular_file(files.right, error))
        return files;

    int taps = 0;
    int failure = 0;
    const std::unique_ptr<MYSOFA_EASY, SofaCloser> hrtf(
        mysofa_open(set.c_str(), static_cast<float>(rate), &taps, &failure));
    if (!hrtf || failure != MYSOFA_OK || taps <= 0 || taps > kMostTaps) return std::nullopt;

    // Each speaker's pair of responses with its delays put in front.
    std::array<std::vector<float>, kSpeakers> left;
    std::array<std::vector<float>, kSpeakers> right;
    size_t length = 0;
    for (size_t s = 0; s < kSpeakers; ++s) {
        const float angle = kAzimuths[s] * std::numbers::pi_v<float> / 180.0f;
        std::vector<float> irLeft(static_cast<size_t>(taps));
        std::vector<float> irRight(static_cast<size_t>(taps));
        float delayLeft = 0;
        float delayRight = 0;
        mysofa_getfilter_float(hrtf.get(), kDistance * std::cos(angle), kDistance * std::sin(angle), 0.0f,
                               irLeft.data(), irRight.data(), &delayLeft, &delayRight);
        const auto samplesOf = [rate](float seconds) {
            const double samples = std::round(std::clamp(static_cast<double>(seconds), 0.0, 0.01) * rate);
            return static_cast<size_t>(samples);
        };
        left[s].assign(samplesOf(delayLeft), 0.0f);
        left[s].insert(left[s].end(), irLeft.begin(), irLeft.end());
        right[s].assign(samplesOf(delayRight), 0.0f);
        right[s].insert(right[s].end(), irRight.begin(), irRight.end());
        length = std::max({length, left[s].size(), right[s].size()});
    }
    std::vector<float> leftFile(length * kSpeakers, 0.0f);
    std::vector<float> rightFile(length * kSpeakers, 0.0f);
    for (size_t s = 0; s < kSpeakers; ++s) {
        for (size_t i = 0; i < left[s].size(); ++i) leftFile[i * kSpeakers + s] = left[s][i];
        for (size_t i = 0; i < right[s].size(); ++i) rightFile[i * kSpeakers + s] = right[s][i];
    }
    std::filesystem::create_directories(folder, error);
    if (!writeWav(files.left, rate, leftFile) || !writeWav(files.right, rate, rightFile)) return std::nullopt;
    return files;
}

}  // namespace halvern::audio
