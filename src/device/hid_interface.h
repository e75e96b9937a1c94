#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "device/bounded_writer.h"
#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace halvern {

/// What the opened collection offers. Report lengths include the report-ID byte.
struct HidCapabilities {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
};

/// One decoded input field: a button field (the usages set in the last report) or one value usage.
struct HidDecodedEntry {
    bool isButton = false;
    uint16_t usagePage = 0;
    bool status = true;  ///< false when the last decode of this entry failed
    uint8_t reportId = 0;
    bool isSet = false;
    // Button part: the usages set, in report order, ended with 0 when fewer than maxUsages.
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;  ///< sized maxUsages when the interface is opened
    // Value part.
    uint16_t usage = 0;
    int32_t rawValue = 0;
    int32_t scaledValue = 0;
};

/// One opened HID collection (a "HID interface" to the rest of the program) with time-limited reads and
/// writes that Close or Open from another thread cut short at once. A write that the node's kernel side
/// holds up (hidraw) goes through a BoundedWriter, so neither the writer nor Close waits past the time-out.
///
/// A node carries every collection of its USB interface; an object opened on one collection hands out only
/// input reports whose report ID belongs to that collection and drops the others.
class HidInterface {
public:
    explicit HidInterface(HidBackend& backend);
    ~HidInterface();
    HidInterface(const HidInterface&) = delete;
    HidInterface& operator=(const HidInterface&) = delete;

    /// Lists every present collection and resets the cursor. False when the listing failed (the list is
    /// then empty).
    [[nodiscard]] bool Enumerate();
    /// The entry at the cursor, advancing it; null at the end or without a list.
    [[nodiscard]] const HidEnumEntry* NextPath();
    void FreePathList();

    /// Opens a collection path. Closes any previous one first. False (and closed) when the node cannot be
    /// opened, its report descriptor cannot be parsed, or it has no such collection.
    [[nodiscard]] bool Open(std::string_view path, bool read, bool write, bool overlapped, bool exclusive);
    /// Wakes a blocked Read or Write, waits for it to leave, and releases the node.
    void Close();
    [[nodiscard]] bool isOpen() const;

    /// Reads one input report of this collection into `buffer` (cut to its size). A negative time-out
    /// waits until a report arrives, the device fails, Close is called, or `stop` is requested.
    [[nodiscard]] bool Read(std::span<uint8_t> buffer, size_t* bytesRead, int timeoutMs,
                            std::stop_token stop = {});
    /// Sleeps until the interface is open (true) or `stop` is requested (false); costs nothing meanwhile.
    [[nodiscard]] bool WaitUntilOpen(std::stop_token stop);
    /// Writes one output report; fails on time-out, device failure or Close.
    [[nodiscard]] bool Write(std::span<const uint8_t> report, size_t* bytesWritten, int timeoutMs);
    /// Hands one output report to the node's writer thread and returns without waiting for the write, for
    /// a request whose reply is awaited anyway (one wake-up instead of two); a node written directly, or a
    /// writer still busy with an earlier report, gets a Write. PostedWriteFailed() tells afterwards
    /// whether the report failed or is still in hand.
    [[nodiscard]] bool Post(std::span<const uint8_t> report, int timeoutMs);
    [[nodiscard]] bool PostedWriteFailed();
    /// Sends one output report through the control pipe.
    [[nodiscard]] bool SetOutputReport(std::span<const uint8_t> report);

    /// Fills the input entries whose report ID equals the report's first byte. A report that matches no
    /// entry succeeds and changes nothing; a value that lies outside the report fails.
    [[nodiscard]] bool DecodeInputReport(std::span<const uint8_t> report);

    [[nodiscard]] const HidAttributes& attributes() const { return m_attributes; }
    [[nodiscard]] const HidCapabilities& capabilities() const { return m_caps; }
    [[nodiscard]] uint16_t interfaceNumber() const { return m_interfaceNumber; }
    [[nodiscard]] uint16_t collectionNumber() const { return m_collectionNumber; }
    [[nodiscard]] const std::string& path() const { return m_path; }
    /// Zero-filled buffer of the input report length, for callers that read one report at a time.
    [[nodiscard]] std::span<uint8_t> inputReportBuffer() { return m_inputReport; }
    [[nodiscard]] const std::vector<HidDecodedEntry>& inputEntries() const { return m_inputEntries; }
    /// The first usage of the first input button entry after a decode (0 when none): the notification code.
    [[nodiscard]] uint16_t firstButtonUsage() const;

private:
    struct Operation {
        std::shared_ptr<HidNode> node;
        std::shared_ptr<BoundedWriter> writer;  ///< for nodes whose writes may block
    };
    [[nodiscard]] Operation beginOperation();
    void endOperation();
    void closeLocked(std::unique_lock<std::mutex>& lock);
    [[nodiscard]] bool acceptsInputReport(uint8_t reportId) const;
    [[nodiscard]] int waitFor(int fd, short events, int timeoutMs, long long deadlineMs,
                              bool cancellable) const;

    HidBackend& m_backend;
    std::vector<HidEnumEntry> m_pathList;
    size_t m_cursor = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::condition_variable_any m_opened;
    std::shared_ptr<HidNode> m_node;
    std::shared_ptr<BoundedWriter> m_writer;
    int m_activeOperations = 0;
    int m_stopFd = -1;    ///< eventfd: signalled by Close while operations run
    int m_cancelFd = -1;  ///< eventfd: signalled when a reader's stop is requested

    bool m_readAccess = false, m_writeAccess = false, m_overlapped = false, m_exclusive = false;
    std::string m_path;
    HidAttributes m_attributes;
    HidCapabilities m_caps;
    uint16_t m_interfaceNumber = 0;
    uint16_t m_collectionNumber = 0;
    bool m_numberedReports = false;
    std::vector<uint8_t> m_inputReportIds;
    std::vector<uint8_t> m_inputReport;
    std::vector<uint8_t> m_readScratch;  ///< one whole report of any collection of the node
    std::vector<HidField> m_inputFields;
    std::vector<HidDecodedEntry> m_inputEntries;
};

}  // namespace halvern
