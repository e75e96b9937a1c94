#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "emulator/memory_image.h"
#include "emulator/product_model.h"

namespace halvern::emu {

inline constexpr size_t kReportSize = 64;
inline constexpr size_t kPayloadMax = 56;  ///< data bytes 8-63 of one command report
inline constexpr uint8_t kCommandReportId = 0x04;
inline constexpr uint8_t kConsumerReportId = 0x03;
inline constexpr uint8_t kLedReportId = 0xFF;
inline constexpr size_t kLedReportSize = 17;
inline constexpr uint8_t kQueryLink = 0xAA;
inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusRefused = 0xFF;      ///< bad checksum, bad length, outside a region
inline constexpr uint8_t kStatusUnsupported = 0xFE;  ///< a command code the firmware does not know

using Report = std::array<uint8_t, kReportSize>;
using LedReport = std::array<uint8_t, kLedReportSize>;

/// Sum of bytes 3-63 modulo 65536: the value a command report carries in bytes 1-2 (little-endian).
[[nodiscard]] uint16_t reportChecksum(const Report& report);
/// Stores the checksum of bytes 3-63 in bytes 1-2.
void sealReport(Report& report);

/// The firmware of one physical product: the command protocol over its memory. Shared by the product's
/// cable and receiver attachments (one device, two ways in). Thread-safe.
///
/// Replies: byte 0 = 4, bytes 3-6 echo the request, byte 7 = status, data from byte 8, sealed with the
/// checksum. A request with a wrong checksum, a chunk length above 56, or an offset and length reaching
/// outside the command's region is answered with status 0xFF and changes nothing; an unknown command code
/// gets 0xFE.
class Firmware {
public:
    /// Factory memory, replaced by the contents of `stateFile` when that file holds a valid image of the same
    /// layout (a missing or bad file leaves the factory state and writes one debug line). An empty path
    /// keeps the memory in this process only.
    Firmware(const ProductModel& model, const DeviceConfig& config, std::filesystem::path stateFile = {});
    /// Saves the state file, if there is one.
    ~Firmware();
    Firmware(const Firmware&) = delete;
    Firmware& operator=(const Firmware&) = delete;

    /// Carries out one command report and returns the reply. With `refuseWith` (0xFF or 0xFE) the command
    /// is not carried out and the reply carries that status.
    [[nodiscard]] Report execute(const Report& request, std::optional<uint8_t> refuseWith = {});

    /// Takes one LED output report (report ID 0xFF, 17 bytes; shorter ones are zero-padded).
    void takeLedReport(std::span<const uint8_t> report);

    /// Writes the state file now. Returns false when there is none or it cannot be written.
    [[nodiscard]] bool save() const;
    /// Writes the state file unless another program's emulator saved it since this firmware last loaded
    /// or saved it (that program's device memory is the newer one). Returns false when nothing was written.
    [[nodiscard]] bool saveUnlessReplaced() const;
    /// Loads the state file again when another program's emulator saved it since this firmware last
    /// loaded or saved it. Emulators sharing a state folder so share the device's memory, as programs
    /// share a real device (one at a time: each holds the device's lock while it uses the device).
    void reloadIfReplaced();

    [[nodiscard]] const ProductModel& model() const { return m_model; }

    // Inspection and set-up for tests.
    [[nodiscard]] std::vector<uint8_t> region(Region region) const;
    /// Writes into a region; false (and nothing written) when the bytes would reach outside it.
    [[nodiscard]] bool poke(Region region, size_t offset, std::span<const uint8_t> bytes);
    /// Bytes of the last streamed frame (0x12): from offset 0 up to the furthest byte written since the
    /// frame began.
    [[nodiscard]] std::vector<uint8_t> lastFrame() const;
    /// Streamed frames begun (a 0x12 chunk at offset 0 begins one).
    [[nodiscard]] unsigned frameCount() const;
    /// Waits until a frame chunk arrives beyond the `seen` already counted, or until `until`; `seen` then
    /// counts every chunk so far. True when one arrived.
    [[nodiscard]] bool awaitFrameChunk(uint64_t& seen, std::chrono::steady_clock::time_point until) const;
    /// The most recent LED output reports, oldest first (at most kLedHistory).
    [[nodiscard]] std::vector<LedReport> ledReports() const;
    [[nodiscard]] unsigned ledReportCount() const;
    /// Command reports received with this code (whatever became of them).
    [[nodiscard]] unsigned commandCount(uint8_t code) const;

    static constexpr size_t kLedHistory = 256;

private:
    /// One version of the state file: its identity, size and time of change.
    struct StateStamp {
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = -1;
        int64_t changedNs = 0;
        bool operator==(const StateStamp&) const = default;
    };
    [[nodiscard]] StateStamp stampOfFile() const;

    uint8_t transfer(const Report& request, Report& reply);
    bool saveLocked() const;

    const ProductModel& m_model;
    const std::filesystem::path m_stateFile;
    mutable std::mutex m_mutex;
    MemoryImage m_memory;
    mutable StateStamp m_stamp;   ///< the state file as this firmware last loaded or saved it
    mutable MemoryImage m_saved;  ///< the memory as the state file last had it
    size_t m_frameLength = 0;
    unsigned m_frames = 0;
    uint64_t m_frameChunks = 0;
    mutable std::condition_variable m_frameChunkTaken;
    std::deque<LedReport> m_ledReports;
    unsigned m_ledReportCount = 0;
    std::array<unsigned, 256> m_commandCounts{};
};

}  // namespace halvern::emu
