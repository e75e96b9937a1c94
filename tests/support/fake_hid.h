#pragma once

// A scriptable HID device for the device-layer tests: every node opened on it gets its own copy of every
// input report (as hidraw does), and a responder turns each written report into replies.

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "device/hid_backend.h"

namespace halvern::test {

using Report = std::vector<uint8_t>;

class FakeDevice : public std::enable_shared_from_this<FakeDevice> {
public:
    FakeDevice(std::vector<uint8_t> bytes, HidAttributes identity, uint16_t usbInterface)
        : descriptor(std::move(bytes)), attributes(identity), interfaceNumber(usbInterface) {}

    /// Called for each written report; returns the input reports to deliver.
    std::function<std::vector<Report>(const Report&)> responder;
    std::vector<Report> written;
    std::vector<Report> outputReports;
    bool failWrites = false;
    const std::vector<uint8_t> descriptor;
    const HidAttributes attributes;
    const uint16_t interfaceNumber;

    void deliver(const Report& report);
    void unplug();
    std::unique_ptr<HidNode> open();

    std::mutex mutex;

private:
    friend class FakeNode;
    struct Queue {
        int fd;
        std::deque<Report> reports;
        bool gone = false;
    };
    std::vector<std::weak_ptr<Queue>> m_queues;
};

class FakeNode final : public HidNode {
public:
    FakeNode(std::shared_ptr<FakeDevice> device, std::shared_ptr<FakeDevice::Queue> queue)
        : m_device(std::move(device)), m_queue(std::move(queue)) {}
    ~FakeNode() override { ::close(m_queue->fd); }

    int pollFd() const override { return m_queue->fd; }
    ssize_t readReport(std::span<uint8_t> buffer) override {
        std::lock_guard lock(m_device->mutex);
        if (m_queue->reports.empty()) return m_queue->gone ? -1 : 0;
        Report r = std::move(m_queue->reports.front());
        m_queue->reports.pop_front();
        uint64_t v;
        if (m_queue->reports.empty() && !m_queue->gone) (void)!::read(m_queue->fd, &v, sizeof v);
        const size_t n = std::min(buffer.size(), r.size());
        std::copy_n(r.begin(), n, buffer.begin());
        return static_cast<ssize_t>(n);
    }
    ssize_t writeReport(std::span<const uint8_t> report) override {
        std::vector<Report> replies;
        {
            std::lock_guard lock(m_device->mutex);
            if (m_queue->gone || m_device->failWrites) return -1;
            m_device->written.emplace_back(report.begin(), report.end());
        }
        if (m_device->responder) replies = m_device->responder(Report(report.begin(), report.end()));
        for (const auto& r : replies) m_device->deliver(r);
        return static_cast<ssize_t>(report.size());
    }
    bool setOutputReport(std::span<const uint8_t> report) override {
        std::lock_guard lock(m_device->mutex);
        m_device->outputReports.emplace_back(report.begin(), report.end());
        return !m_queue->gone;
    }
    std::vector<uint8_t> reportDescriptor() const override { return m_device->descriptor; }
    HidAttributes attributes() const override { return m_device->attributes; }
    uint16_t interfaceNumber() const override { return m_device->interfaceNumber; }

private:
    std::shared_ptr<FakeDevice> m_device;
    std::shared_ptr<FakeDevice::Queue> m_queue;
};

inline void FakeDevice::deliver(const Report& report) {
    std::lock_guard lock(mutex);
    for (auto& weak : m_queues) {
        if (auto q = weak.lock()) {
            q->reports.push_back(report);
            const uint64_t one = 1;
            (void)!::write(q->fd, &one, sizeof one);
        }
    }
}

inline void FakeDevice::unplug() {
    std::lock_guard lock(mutex);
    for (auto& weak : m_queues) {
        if (auto q = weak.lock()) {
            q->gone = true;
            const uint64_t one = 1;
            (void)!::write(q->fd, &one, sizeof one);
        }
    }
}

inline std::unique_ptr<HidNode> FakeDevice::open() {
    auto q = std::make_shared<Queue>();
    q->fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::lock_guard lock(mutex);
    m_queues.push_back(q);
    return std::make_unique<FakeNode>(shared_from_this(), q);
}

class FakeBackend final : public HidBackend {
public:
    std::map<std::string, std::shared_ptr<FakeDevice>, std::less<>> nodes;
    std::atomic<bool> failEnumeration{false};
    std::atomic<int> enumerations{0};  ///< listings asked for so far

    bool enumerate(std::vector<HidEnumEntry>& out) override;
    std::unique_ptr<HidNode> openNode(std::string_view path, bool) override {
        auto it = nodes.find(splitCollectionPath(path).node);
        return it == nodes.end() ? nullptr : it->second->open();
    }
};

/// Descriptor of a vendor interface like the products': keyboard (ID 1), system control (ID 2),
/// consumer (ID 3, one 16-bit usage) and the vendor command collection 0xFF1C/0x92 (ID 4, 63 bytes each way).
const std::vector<uint8_t>& productDescriptor();

}  // namespace halvern::test
