#include "emulator/traffic_capture.h"

namespace halvern::emu {

std::string formatCaptureLine(std::string_view direction, std::string_view device,
                              std::span<const uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line;
    line.reserve(direction.size() + device.size() + 1 + bytes.size() * 3);
    line.append(direction).append(" ").append(device);
    for (uint8_t byte : bytes) {
        line += ' ';
        line += kHex[byte >> 4];
        line += kHex[byte & 0x0F];
    }
    return line;
}

TrafficCapture::TrafficCapture(const std::filesystem::path& path) : m_file(path, std::ios::trunc) {}

void TrafficCapture::record(std::string_view direction, std::string_view device,
                            std::span<const uint8_t> bytes) {
    const std::string line = formatCaptureLine(direction, device, bytes);
    std::lock_guard lock(m_mutex);
    if (!m_file.is_open()) return;
    m_file << line << '\n';
    m_file.flush();
}

void TrafficCapture::recordLine(std::string_view line) {
    std::lock_guard lock(m_mutex);
    if (!m_file.is_open()) return;
    m_file << line << '\n';
    m_file.flush();
}

}  // namespace halvern::emu
