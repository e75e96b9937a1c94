#include "emulator/firmware.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "device/debug_sink.h"
#include "emulator/state_file.h"

namespace halvern::emu {
namespace {

enum class Access : uint8_t {
    Control,  ///< no data: Begin, End, AnnounceLightControl
    Read,     ///< copies region bytes into the reply
    Write,    ///< copies the payload into the region
    Frame,    ///< Write into the frame buffer; offset 0 begins a new frame
    Link,     ///< QueryLink: byte 8 = 0xFF while the device answers
};

struct CommandRule {
    uint8_t code;
    Access access;
    Region region;
};

// clang-format off
constexpr auto kCommands = std::to_array<CommandRule>({
    {0x01, Access::Control, Region::Info},          // Begin
    {0x02, Access::Control, Region::Info},          // End: the settings are committed
    {0x1C, Access::Control, Region::Info},          // AnnounceLightControl
    {0x03, Access::Read, Region::Info},             // ReadInfo
    {0x07, Access::Read, Region::KeyTable},         // ReadBlock
    {0x09, Access::Write, Region::KeyTable},        // WriteBlock
    {0x1B, Access::Read, Region::LedTable},         // ReadThirdBlock
    {0x05, Access::Read, Region::Settings},         // ReadAt
    {0x06, Access::Write, Region::Settings},        // WriteAt
    {0x15, Access::Write, Region::Macro},           // WriteData15: macro image
    {0x17, Access::Write, Region::Recoil},          // WriteData17: recoil image
    {0x1A, Access::Read, Region::Power},            // ReadOnce: power status
    {0x0B, Access::Write, Region::CustomColour},    // WriteLight
    {0x12, Access::Frame, Region::Frame},           // StreamLightFrame
    {kQueryLink, Access::Link, Region::Info},       // QueryLink
});
// clang-format on

constexpr uint8_t kEndCode = 0x02;

const CommandRule* findCommand(uint8_t code) {
    const auto* it = std::find_if(kCommands.begin(), kCommands.end(),
                                  [code](const CommandRule& rule) { return rule.code == code; });
    return it == kCommands.end() ? nullptr : it;
}

}  // namespace

uint16_t reportChecksum(const Report& report) {
    unsigned sum = 0;
    for (size_t i = 3; i < report.size(); ++i) sum += report[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void sealReport(Report& report) {
    const uint16_t sum = reportChecksum(report);
    report[1] = static_cast<uint8_t>(sum & 0xFF);
    report[2] = static_cast<uint8_t>(sum >> 8);
}

Firmware::Firmware(const ProductModel& model, const DeviceConfig& config, std::filesystem::path stateFile)
    : m_model(model), m_stateFile(std::move(stateFile)), m_memory(MemoryImage::factory(model, config)) {
    if (m_stateFile.empty()) return;
    if (!loadStateFile(m_stateFile, m_memory)) {
        debugLog("emulator: no usable state in " + m_stateFile.string() + ", starting from factory state");
    }
    m_stamp = stampOfFile();
    m_saved = m_memory;
}

// The emulator saves its firmware when it goes; a firmware that outlives it (a node still open elsewhere)
// writes only what changed since, so a program's end never writes its state file twice.
Firmware::~Firmware() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stateFile.empty() || m_memory.samePersistentState(m_saved)) return;
    }
    (void)saveUnlessReplaced();
}

Firmware::StateStamp Firmware::stampOfFile() const {
    struct stat info {};
    if (m_stateFile.empty() || ::stat(m_stateFile.c_str(), &info) != 0) return {};
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
            static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool Firmware::saveUnlessReplaced() const {
    std::lock_guard lock(m_mutex);
    if (m_stateFile.empty()) return false;
    const StateStamp now = stampOfFile();
    if (now != m_stamp && now != StateStamp{}) {
        debugLog("emulator: " + m_stateFile.string() + " was saved by another program; not written over");
        return false;
    }
    return saveLocked();
}

void Firmware::reloadIfReplaced() {
    std::lock_guard lock(m_mutex);
    if (m_stateFile.empty()) return;
    const StateStamp now = stampOfFile();
    if (now == m_stamp) return;
    // Saved whole by a rename, so the file is always one complete image; a bad one leaves the memory be.
    if (!loadStateFile(m_stateFile, m_memory))
        debugLog("emulator: no usable state in " + m_stateFile.string());
    m_stamp = now;
    m_saved = m_memory;
}

Report Firmware::execute(const Report& request, std::optional<uint8_t> refuseWith) {
    Report reply{};
    reply[0] = kCommandReportId;
    std::copy_n(request.begin() + 3, 4, reply.begin() + 3);  // command code, length, offset
    {
        std::lock_guard lock(m_mutex);
        ++m_commandCounts[request[3]];
        const uint16_t sent = static_cast<uint16_t>(request[1] | (request[2] << 8));
        if (sent != reportChecksum(request)) {
            reply[7] = kStatusRefused;
        } else if (refuseWith) {
            reply[7] = *refuseWith;
        } else {
            reply[7] = transfer(request, reply);
        }
    }
    sealReport(reply);
    return reply;
}

uint8_t Firmware::transfer(const Report& request, Report& reply) {
    const CommandRule* command = findCommand(request[3]);
    if (!command) return kStatusUnsupported;
    const size_t length = request[4];
    const size_t offset = static_cast<size_t>(request[5] | (request[6] << 8));

    switch (command->access) {
        case Access::Control:
            if (command->code == kEndCode && !m_stateFile.empty()) (void)saveLocked();
            return kStatusOk;
        case Access::Link:
            reply[8] = 0xFF;
            return kStatusOk;
        case Access::Read:
        case Access::Write:
        case Access::Frame:
            break;
    }

    std::vector<uint8_t>& memory = m_memory[command->region];
    if (length > kPayloadMax || offset > memory.size() || length > memory.size() - offset) {
        return kStatusRefused;
    }
    const auto at = memory.begin() + static_cast<std::ptrdiff_t>(offset);
    if (command->access == Access::Read) {
        std::copy_n(at, length, reply.begin() + 8);
        return kStatusOk;
    }
    std::copy_n(request.begin() + 8, length, at);
    if (command->access == Access::Frame) {
        if (offset == 0) {
            ++m_frames;
            m_frameLength = 0;
        }
        m_frameLength = std::max(m_frameLength, offset + length);
        ++m_frameChunks;
        m_frameChunkTaken.notify_all();
    }
    return kStatusOk;
}

void Firmware::takeLedReport(std::span<const uint8_t> report) {
    LedReport copy{};
    std::copy_n(report.begin(), std::min(report.size(), copy.size()), copy.begin());
    std::lock_guard lock(m_mutex);
    m_ledReports.push_back(copy);
    if (m_ledReports.size() > kLedHistory) m_ledReports.pop_front();
    ++m_ledReportCount;
}

bool Firmware::save() const {
    std::lock_guard lock(m_mutex);
    return saveLocked();
}

bool Firmware::saveLocked() const {
    if (m_stateFile.empty()) return false;
    if (saveStateFile(m_stateFile, m_memory)) {
        m_stamp = stampOfFile();
        m_saved = m_memory;
        return true;
    }
    debugLog("emulator: cannot write state file " + m_stateFile.string());
    return false;
}

std::vector<uint8_t> Firmware::region(Region region) const {
    std::lock_guard lock(m_mutex);
    return m_memory[region];
}

bool Firmware::poke(Region region, size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    std::vector<uint8_t>& memory = m_memory[region];
    if (offset > memory.size() || bytes.size() > memory.size() - offset) return false;
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

std::vector<uint8_t> Firmware::lastFrame() const {
    std::lock_guard lock(m_mutex);
    const auto& frame = m_memory[Region::Frame];
    return {frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(m_frameLength)};
}

unsigned Firmware::frameCount() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

bool Firmware::awaitFrameChunk(uint64_t& seen, std::chrono::steady_clock::time_point until) const {
    std::unique_lock lock(m_mutex);
    const bool arrived = m_frameChunkTaken.wait_until(lock, until, [&] { return m_frameChunks > seen; });
    seen = m_frameChunks;
    return arrived;
}

std::vector<LedReport> Firmware::ledReports() const {
    std::lock_guard lock(m_mutex);
    return {m_ledReports.begin(), m_ledReports.end()};
}

unsigned Firmware::ledReportCount() const {
    std::lock_guard lock(m_mutex);
    return m_ledReportCount;
}

unsigned Firmware::commandCount(uint8_t code) const {
    std::lock_guard lock(m_mutex);
    return m_commandCounts[code];
}

}  // namespace halvern::emu
