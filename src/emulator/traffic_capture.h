#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace halvern::emu {

/// One capture line without its newline: "OUT mouse 04 01 00 ..." (lower-case hex pairs).
[[nodiscard]] std::string formatCaptureLine(std::string_view direction, std::string_view device,
                                            std::span<const uint8_t> bytes);

/// Appends one line per report to a text file, from any thread; each line is flushed at once so a crash
/// keeps everything written before it.
class TrafficCapture {
public:
    /// Opens (truncates) the file; isOpen() tells whether that worked.
    explicit TrafficCapture(const std::filesystem::path& path);

    [[nodiscard]] bool isOpen() const { return m_file.is_open(); }

    /// Records an output report (host to device).
    void recordOut(std::string_view device, std::span<const uint8_t> bytes) { record("OUT", device, bytes); }
    /// Records an input report (device to host).
    void recordIn(std::string_view device, std::span<const uint8_t> bytes) { record("IN", device, bytes); }
    /// Records a line of its own (the emulated audio library's calls).
    void recordLine(std::string_view line);

private:
    void record(std::string_view direction, std::string_view device, std::span<const uint8_t> bytes);

    std::mutex m_mutex;
    std::ofstream m_file;
};

}  // namespace halvern::emu
