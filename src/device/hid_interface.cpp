#include "device/hid_interface.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace halvern {
namespace {

enum WaitResult { kReady, kTimedOut, kStopped, kFailed };

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Largest report the node can hand out: any collection's input report, plus a report-ID byte we may add.
size_t scratchSize(const std::vector<HidCollectionInfo>& collections) {
    size_t longest = 64;
    for (const auto& c : collections) longest = std::max<size_t>(longest, c.inputReportLength);
    return longest + 1;
}

// Reads `bits` bits little-endian from `data` starting at bit `offset`; false when they lie outside it.
bool extractBits(std::span<const uint8_t> data, uint32_t offset, uint8_t bits, uint32_t& out) {
    if (bits == 0 || bits > 32 || offset + bits > data.size() * 8) return false;
    uint32_t v = 0;
    for (uint8_t i = 0; i < bits; ++i) {
        const uint32_t bit = offset + i;
        if (data[bit / 8] & (1u << (bit % 8))) v |= 1u << i;
    }
    out = v;
    return true;
}

int32_t signExtend(uint32_t v, uint8_t bits, bool isSigned) {
    if (!isSigned || bits >= 32 || bits == 0) return static_cast<int32_t>(v);
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((v ^ sign) - sign);
}

HidDecodedEntry makeEntry(const HidField& f) {
    HidDecodedEntry e;
    e.isButton = f.isButton;
    e.usagePage = f.usagePage;
    e.reportId = f.reportId;
    e.usageMin = f.usageMin;
    e.usageMax = f.usageMax;
    e.usage = f.usageMin;
    if (f.isButton) {
        // A bitmap can report every usage of its range; an array at most one per slot.
        const size_t range = static_cast<size_t>(f.usageMax - f.usageMin) + 1;
        e.usages.assign(f.isArray ? f.count : std::min<size_t>(f.count, range), 0);
    }
    return e;
}

void decodeButtons(const HidField& f, std::span<const uint8_t> data, HidDecodedEntry& e) {
    std::fill(e.usages.begin(), e.usages.end(), 0);
    size_t n = 0;
    for (uint32_t slot = 0; slot < f.count && n < e.usages.size(); ++slot) {
        uint32_t v = 0;
        if (!extractBits(data, f.bitOffset + slot * f.bitSize, f.bitSize, v)) break;
        uint32_t usage = 0;
        if (f.isArray) {
            const auto index = static_cast<int64_t>(v) - (f.logicalMin < 0 ? 0 : f.logicalMin);
            if (v == 0 || index < 0) continue;
            usage = static_cast<uint32_t>(f.usageMin + index);
        } else {
            if (v == 0) continue;
            usage = f.usageMin + slot;
        }
        if (usage < f.usageMin || usage > f.usageMax) continue;
        e.usages[n++] = static_cast<uint16_t>(usage);
    }
}

bool decodeValue(const HidField& f, std::span<const uint8_t> data, HidDecodedEntry& e) {
    uint32_t v = 0;
    if (!extractBits(data, f.bitOffset, f.bitSize, v)) return false;
    e.rawValue = signExtend(v, f.bitSize, f.logicalMin < 0);
    e.scaledValue = e.rawValue;
    if (f.physicalMax != f.physicalMin && f.logicalMax > f.logicalMin) {
        const int64_t span = static_cast<int64_t>(f.logicalMax) - f.logicalMin;
        const int64_t scaled = f.physicalMin + (static_cast<int64_t>(e.rawValue) - f.logicalMin) *
                                                   (static_cast<int64_t>(f.physicalMax) - f.physicalMin) /
                                                   span;
        e.scaledValue = static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
    }
    return true;
}

}  // namespace

HidInterface::HidInterface(HidBackend& backend)
    : m_backend(backend),
      m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_cancelFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HidInterface::~HidInterface() {
    Close();
    FreePathList();
    if (m_stopFd >= 0) ::close(m_stopFd);
    if (m_cancelFd >= 0) ::close(m_cancelFd);
}

bool HidInterface::Enumerate() {
    m_pathList.clear();
    m_cursor = 0;
    if (!m_backend.enumerate(m_pathList)) {
        m_pathList.clear();
        return false;
    }
    return true;
}

const HidEnumEntry* HidInterface::NextPath() {
    if (m_cursor >= m_pathList.size()) return nullptr;
    return &m_pathList[m_cursor++];
}

void HidInterface::FreePathList() {
    m_pathList.clear();
    m_pathList.shrink_to_fit();
    m_cursor = 0;
}

bool HidInterface::isOpen() const {
    std::lock_guard lock(m_mutex);
    return m_node != nullptr;
}

void HidInterface::closeLocked(std::unique_lock<std::mutex>& lock) {
    if (!m_node && m_activeOperations == 0) return;
    m_node.reset();
    if (m_activeOperations > 0 && m_stopFd >= 0) {
        const uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
        m_idle.wait(lock, [this] { return m_activeOperations == 0; });
        uint64_t drained = 0;
        (void)!::read(m_stopFd, &drained, sizeof drained);
    }
    m_writer.reset();  // never waits: a write the kernel still holds finishes on the writer's own thread
    m_inputReport.clear();
    m_readScratch.clear();
    m_inputFields.clear();
    m_inputEntries.clear();
    m_inputReportIds.clear();
    m_caps = {};
    m_attributes = {};
}

void HidInterface::Close() {
    std::unique_lock lock(m_mutex);
    closeLocked(lock);
}

bool HidInterface::Open(std::string_view path, bool read, bool write, bool overlapped, bool exclusive) {
    std::unique_lock lock(m_mutex);
    m_readAccess = read;
    m_writeAccess = write;
    m_overlapped = overlapped;
    m_exclusive = exclusive;
    closeLocked(lock);
    m_path = std::string(path);

    std::unique_ptr<HidNode> node = m_backend.openNode(path, write);
    if (!node) return false;
    const auto collections = parseReportDescriptor(node->reportDescriptor());
    const CollectionPath where = splitCollectionPath(path);
    if (!collections || collections->empty()) return false;
    // Collection 0 names the only collection of a node; numbered paths are 1-based.
    const size_t index = where.collection == 0 ? 0 : where.collection - 1u;
    if (index >= collections->size() || (where.collection == 0 && collections->size() != 1)) return false;
    const HidCollectionInfo& c = (*collections)[index];

    m_attributes = node->attributes();
    m_interfaceNumber = node->interfaceNumber();
    m_collectionNumber = where.collection;
    m_caps.usage = c.usage;
    m_caps.usagePage = c.usagePage;
    m_numberedReports =
        !(c.inputReportIds.size() == 1 && c.inputReportIds[0] == 0) && !c.inputReportIds.empty();
    // Report lengths count a report-ID byte even where the device numbers no reports.
    m_caps.inputReportByteLength = static_cast<uint16_t>(c.inputReportLength + (m_numberedReports ? 0 : 1));
    m_caps.outputReportByteLength = c.outputReportLength;
    m_caps.featureReportByteLength = c.featureReportLength;
    m_inputReportIds = c.inputReportIds;
    m_inputFields = c.inputFields;
    m_inputEntries.clear();
    for (const HidField& f : m_inputFields) {
        m_inputEntries.push_back(makeEntry(f));
        (f.isButton ? m_caps.numberInputButtonCaps : m_caps.numberInputValueCaps)++;
    }
    m_inputReport.assign(m_caps.inputReportByteLength, 0);
    m_readScratch.assign(scratchSize(*collections), 0);
    m_node = std::move(node);
    if (write && m_node->writeMayBlock()) m_writer = std::make_shared<BoundedWriter>(m_node);
    m_opened.notify_all();
    return true;
}

bool HidInterface::WaitUntilOpen(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    return m_opened.wait(lock, stop, [this] { return m_node != nullptr; });
}

HidInterface::Operation HidInterface::beginOperation() {
    std::lock_guard lock(m_mutex);
    if (!m_node) return {};
    ++m_activeOperations;
    return {m_node, m_writer};
}

void HidInterface::endOperation() {
    std::lock_guard lock(m_mutex);
    --m_activeOperations;
    m_idle.notify_all();
}

int HidInterface::waitFor(int fd, short events, int timeoutMs, long long deadlineMs, bool cancellable) const {
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) wait = static_cast<int>(std::max(0LL, deadlineMs - nowMs()));
        pollfd fds[3] = {{fd, events, 0}, {m_stopFd, POLLIN, 0}, {m_cancelFd, POLLIN, 0}};
        const int n = ::poll(fds, cancellable ? 3 : 2, wait);
        if (n < 0) {
            if (errno == EINTR) continue;
            return kFailed;
        }
        if ((fds[1].revents & POLLIN) || (cancellable && (fds[2].revents & POLLIN))) return kStopped;
        if (fds[0].revents & events) return kReady;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return kFailed;
        if (n == 0) return kTimedOut;
    }
}

bool HidInterface::acceptsInputReport(uint8_t reportId) const {
    return std::find(m_inputReportIds.begin(), m_inputReportIds.end(), reportId) != m_inputReportIds.end();
}

bool HidInterface::Read(std::span<uint8_t> buffer, size_t* bytesRead, int timeoutMs, std::stop_token stop) {
    if (bytesRead) *bytesRead = 0;
    const bool cancellable = stop.stop_possible();
    if (cancellable) {
        uint64_t drained = 0;  // a stop of an earlier reader must not end this read
        (void)!::read(m_cancelFd, &drained, sizeof drained);
    }
    const std::stop_callback onStop(stop, [this] {
        const uint64_t one = 1;
        (void)!::write(m_cancelFd, &one, sizeof one);
    });
    if (stop.stop_requested()) return false;
    const std::shared_ptr<HidNode> node = beginOperation().node;
    if (!node) return false;
    const long long deadline = nowMs() + std::max(timeoutMs, 0);
    bool ok = false;
    for (;;) {
        if (waitFor(node->pollFd(), POLLIN, timeoutMs, deadline, cancellable) != kReady) break;
        // Without numbered reports the data starts at byte 1 and byte 0 stays the report ID 0.
        const size_t skip = m_numberedReports ? 0 : 1;
        std::span<uint8_t> scratch(m_readScratch);
        const ssize_t n = node->readReport(scratch.subspan(skip));
        if (n < 0) break;
        if (n == 0) continue;  // woken, but another reader of the node took the report
        if (!m_numberedReports) scratch[0] = 0;
        const auto length = static_cast<size_t>(n) + skip;
        if (m_numberedReports && !acceptsInputReport(scratch[0])) continue;  // another collection's report
        const size_t copied = std::min(length, buffer.size());
        std::memcpy(buffer.data(), scratch.data(), copied);
        if (bytesRead) *bytesRead = copied;
        ok = true;
        break;
    }
    endOperation();
    return ok;
}

bool HidInterface::Write(std::span<const uint8_t> report, size_t* bytesWritten, int timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    const Operation op = beginOperation();
    if (!op.node) return false;
    bool ok = false;
    if (op.writer) {
        const std::array<int, 1> cancel{m_stopFd};
        const ssize_t n = op.writer->write(report, timeoutMs, cancel);
        ok = n > 0;
        if (ok && bytesWritten) *bytesWritten = static_cast<size_t>(n);
        endOperation();
        return ok;
    }
    const long long deadline = nowMs() + std::max(timeoutMs, 0);
    while (waitFor(op.node->pollFd(), POLLOUT, timeoutMs, deadline, false) == kReady) {
        const ssize_t n = op.node->writeReport(report);
        if (n < 0) break;
        if (n == 0) continue;
        if (bytesWritten) *bytesWritten = static_cast<size_t>(n);
        ok = true;
        break;
    }
    endOperation();
    return ok;
}

bool HidInterface::Post(std::span<const uint8_t> report, int timeoutMs) {
    const Operation op = beginOperation();
    if (!op.node) return false;
    const bool posted = op.writer && op.writer->post(report);
    endOperation();
    return posted || Write(report, nullptr, timeoutMs);
}

bool HidInterface::PostedWriteFailed() {
    const Operation op = beginOperation();
    if (!op.node) return true;
    const bool failed = op.writer && op.writer->lastFailed();
    endOperation();
    return failed;
}

bool HidInterface::SetOutputReport(std::span<const uint8_t> report) {
    const std::shared_ptr<HidNode> node = beginOperation().node;
    if (!node) return false;
    const bool ok = node->setOutputReport(report);
    endOperation();
    return ok;
}

bool HidInterface::DecodeInputReport(std::span<const uint8_t> report) {
    std::lock_guard lock(m_mutex);  // Close may clear the entries from another thread
    if (report.empty()) return false;
    const uint8_t reportId = report[0];
    const std::span<const uint8_t> data = report.subspan(1);
    for (size_t i = 0; i < m_inputFields.size(); ++i) {
        const HidField& f = m_inputFields[i];
        HidDecodedEntry& e = m_inputEntries[i];
        if (f.reportId != reportId) continue;
        if (f.isButton) {
            decodeButtons(f, data, e);
        } else if (!decodeValue(f, data, e)) {
            e.status = false;
            return false;
        }
        e.status = true;
        e.isSet = true;
    }
    return true;
}

uint16_t HidInterface::firstButtonUsage() const {
    std::lock_guard lock(m_mutex);
    for (const auto& e : m_inputEntries) {
        if (e.isButton) return e.usages.empty() ? 0 : e.usages.front();
    }
    return 0;
}

}  // namespace halvern
