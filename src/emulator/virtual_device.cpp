#include "emulator/virtual_device.h"

#include <algorithm>

#include "device/debug_sink.h"

namespace halvern::emu {
namespace {

HidAttributes attributesOf(const ProductModel& model, Attachment attachment) {
    if (attachment == Attachment::Receiver) {
        return {model.vendorId, model.receiverProductId, model.receiverVersion};
    }
    return {model.vendorId, model.cableProductId, model.cableVersion};
}

bool isRefusal(uint8_t status) {
    return status == kStatusRefused || status == kStatusUnsupported;
}

}  // namespace

VirtualDevice::VirtualDevice(DeviceId id, std::shared_ptr<Firmware> firmware,
                             std::shared_ptr<TrafficCapture> capture)
    : m_id(id),
      m_name(deviceName(id.product, id.attachment)),
      m_firmware(std::move(firmware)),
      m_capture(std::move(capture)),
      m_attributes(attributesOf(m_firmware->model(), id.attachment)) {}

std::vector<uint16_t> VirtualDevice::interfaces() const {
    std::vector<uint16_t> numbers;
    if (!model().bootDescriptor.empty()) numbers.push_back(0);
    numbers.push_back(model().commandInterface);
    return numbers;
}

std::span<const uint8_t> VirtualDevice::descriptor(uint16_t interfaceNumber) const {
    if (interfaceNumber == model().commandInterface) return model().commandDescriptor;
    if (interfaceNumber == 0) return model().bootDescriptor;
    return {};
}

std::string VirtualDevice::nodePath(uint16_t interfaceNumber) const {
    return "emu:" + m_name + "/" + std::to_string(interfaceNumber);
}

void VirtualDevice::attachSink(uint16_t interfaceNumber, const std::shared_ptr<ReportSink>& sink) {
    std::lock_guard lock(m_mutex);
    if (!m_present) {
        sink->hangUp();
        return;
    }
    std::erase_if(m_sinks, [](const SinkEntry& entry) { return entry.sink.expired(); });
    m_sinks.push_back({interfaceNumber, sink});
}

bool VirtualDevice::takesOutput(uint16_t interfaceNumber) const {
    return interfaceNumber == model().commandInterface;
}

void VirtualDevice::stallWrite() {
    std::unique_lock lock(m_mutex);
    if (m_faults.writeBlock.count() <= 0) return;
    m_gone.wait_for(lock, m_faults.writeBlock, [this] { return !m_present; });
}

ssize_t VirtualDevice::takeOutputReport(uint16_t interfaceNumber, std::span<const uint8_t> report) {
    std::lock_guard lock(m_mutex);
    if (!m_present || !takesOutput(interfaceNumber)) return -1;
    if (report.empty() || report.size() > kReportSize) return -1;
    if (m_capture) m_capture->recordOut(m_name, report);

    if (report[0] == kLedReportId && model().ledOutputReports) {
        m_firmware->takeLedReport(report);
    } else if (report[0] == kCommandReportId) {
        Report request{};
        std::copy(report.begin(), report.end(), request.begin());
        takeCommandLocked(request);
    } else {
        debugLog("emulator: " + m_name + " ignores output report " + std::to_string(report[0]));
    }
    countOutputLocked();
    return static_cast<ssize_t>(report.size());
}

void VirtualDevice::takeCommandLocked(const Report& request) {
    const Clock::time_point arrival = std::max(Clock::now(), m_outPipeFree) + m_faults.latency;
    m_outPipeFree = arrival;
    const Report reply = answer(request);
    const bool vanishing = m_reportsUntilUnplug == 1u;  // this report is the last one taken
    if (vanishing) return;
    if (m_faults.dropAllReplies) return;
    if (m_faults.dropReplies > 0) {
        --m_faults.dropReplies;
        return;
    }
    deliverLocked(reply, inputReadyTime(arrival));
}

bool VirtualDevice::takeControlReport(uint16_t interfaceNumber, std::span<const uint8_t> report) {
    return takeOutputReport(interfaceNumber, report) > 0;
}

namespace {
constexpr uint8_t kRefusedStatus = 0xFF;
}  // namespace

Report VirtualDevice::answer(const Report& request) {
    if (m_id.attachment == Attachment::Receiver && !m_linkUp) return linkDownAnswer(request);
    std::optional<uint8_t> status = m_faults.replyStatus;
    if (m_faults.refuseCommand && request[3] == *m_faults.refuseCommand) status = kRefusedStatus;
    Report reply = m_firmware->execute(request, status && isRefusal(*status) ? status : std::nullopt);
    if (status) reply[7] = *status;
    if (m_faults.replyCode) reply[3] = *m_faults.replyCode;
    sealReport(reply);
    return reply;
}

Report VirtualDevice::linkDownAnswer(const Report& request) const {
    Report reply{};
    reply[0] = kCommandReportId;
    reply[3] = kQueryLink;                                   // the receiver answers for itself
    std::copy_n(request.begin() + 4, 3, reply.begin() + 4);  // length and offset as sent
    reply[7] = kStatusOk;
    reply[8] = 0x00;  // the device behind the receiver is not reachable
    sealReport(reply);
    return reply;
}

Clock::time_point VirtualDevice::inputReadyTime(Clock::time_point sent) {
    m_inPipeFree = std::max(sent, m_inPipeFree) + m_faults.latency;
    return m_inPipeFree;
}

void VirtualDevice::deliverLocked(std::span<const uint8_t> report, Clock::time_point readyAt) {
    if (m_capture) m_capture->recordIn(m_name, report);
    const uint16_t interfaceNumber = model().commandInterface;
    for (const SinkEntry& entry : m_sinks) {
        if (entry.interfaceNumber != interfaceNumber) continue;
        if (auto sink = entry.sink.lock()) sink->deliver(report, readyAt);
    }
}

void VirtualDevice::countOutputLocked() {
    if (!m_reportsUntilUnplug) return;
    if (--*m_reportsUntilUnplug == 0) unplugLocked();
}

void VirtualDevice::unplugLocked() {
    if (!m_present) return;
    m_present = false;
    m_gone.notify_all();
    m_reportsUntilUnplug.reset();
    for (const SinkEntry& entry : m_sinks) {
        if (auto sink = entry.sink.lock()) sink->hangUp();
    }
    m_sinks.clear();
    debugLog("emulator: " + m_name + " unplugged");
    if (m_onUnplug) m_onUnplug();
}

void VirtualDevice::setAccessDenied(bool denied) {
    std::lock_guard lock(m_mutex);
    m_accessDenied = denied;
}

bool VirtualDevice::accessDenied() const {
    std::lock_guard lock(m_mutex);
    return m_accessDenied;
}

void VirtualDevice::setUnplugHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_onUnplug = std::move(handler);
}

void VirtualDevice::setFaults(const Faults& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

Faults VirtualDevice::faults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

void VirtualDevice::setLinkUp(bool up) {
    std::lock_guard lock(m_mutex);
    m_linkUp = up;
}

bool VirtualDevice::linkUp() const {
    std::lock_guard lock(m_mutex);
    return m_linkUp;
}

void VirtualDevice::unplugAfterReports(unsigned reports) {
    std::lock_guard lock(m_mutex);
    if (reports == 0) {
        unplugLocked();
    } else {
        m_reportsUntilUnplug = reports;
    }
}

void VirtualDevice::unplug() {
    std::lock_guard lock(m_mutex);
    unplugLocked();
}

bool VirtualDevice::present() const {
    std::lock_guard lock(m_mutex);
    return m_present;
}

bool VirtualDevice::emitNotification(uint16_t code) {
    std::lock_guard lock(m_mutex);
    if (!m_present) return false;
    if (m_id.attachment == Attachment::Receiver && !m_linkUp) return false;  // nothing to relay
    const std::array<uint8_t, 3> report = {kConsumerReportId, static_cast<uint8_t>(code & 0xFF),
                                           static_cast<uint8_t>(code >> 8)};
    deliverLocked(report, inputReadyTime(Clock::now()));
    return true;
}

}  // namespace halvern::emu
