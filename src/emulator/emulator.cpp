#include "emulator/emulator.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "device/report_descriptor.h"
#include "emulator/in_process_node.h"
#include "emulator/socket_node.h"

namespace halvern::emu {
namespace {

constexpr std::string_view kPathPrefix = "emu:";

struct NodeAddress {
    std::string_view device;
    uint16_t interfaceNumber = 0;
};

// "emu:<device>/<interface>", with or without a "#<collection>" suffix.
std::optional<NodeAddress> parseNodePath(std::string_view path) {
    std::string_view node = splitCollectionPath(path).node;
    if (!node.starts_with(kPathPrefix)) return {};
    node.remove_prefix(kPathPrefix.size());
    const size_t slash = node.rfind('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view number = node.substr(slash + 1);
    NodeAddress address{node.substr(0, slash), 0};
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), address.interfaceNumber);
    if (number.empty() || error != std::errc{} || end != number.data() + number.size()) return {};
    return address;
}

}  // namespace

Emulator::Emulator(EmulatorOptions options) : m_options(std::move(options)) {
    if (!m_options.stateDirectory.empty()) {
        std::error_code error;
        std::filesystem::create_directories(m_options.stateDirectory, error);
        m_persist = std::filesystem::is_directory(m_options.stateDirectory, error);
        if (m_persist) {
            const auto folder = std::filesystem::weakly_canonical(m_options.stateDirectory, error);
            m_lockScope = "emulator " + (error ? m_options.stateDirectory : folder).string();
        } else {
            m_setupError = "The emulator state folder " + m_options.stateDirectory.string() +
                           " cannot be used; choose a folder you can write to.";
        }
    }
    if (!m_options.captureFile.empty()) {
        m_capture = std::make_shared<TrafficCapture>(m_options.captureFile);
        if (!m_capture->isOpen()) {
            m_capture.reset();
            m_setupError = "The capture file " + m_options.captureFile.string() +
                           " cannot be written; choose a writable path.";
        }
    }
}

Emulator::~Emulator() {
    std::lock_guard lock(m_mutex);
    // A state file another program saved since holds the newer memory of the shared device.
    for (const auto& [product, firmware] : m_firmware) (void)firmware->saveUnlessReplaced();
    for (const auto& device : m_devices) device->unplug();
}

std::shared_ptr<Firmware> Emulator::firmwareFor(Product product, const DeviceConfig& config) {
    auto& firmware = m_firmware[product];
    if (!firmware) {
        std::filesystem::path stateFile;
        if (m_persist) stateFile = m_options.stateDirectory / (std::string(productName(product)) + ".state");
        firmware = std::make_shared<Firmware>(modelFor(product), config, std::move(stateFile));
    }
    return firmware;
}

std::shared_ptr<VirtualDevice> Emulator::attach(Product product, Attachment attachment,
                                                const DeviceConfig& config) {
    if (attachment == Attachment::Receiver && modelFor(product).receiverProductId == 0) return nullptr;
    const DeviceId id{product, attachment};
    std::lock_guard lock(m_mutex);
    const auto existing = std::find_if(m_devices.begin(), m_devices.end(),
                                       [&](const auto& device) { return device->id() == id; });
    if (existing != m_devices.end()) {
        if ((*existing)->present()) return nullptr;
        m_devices.erase(existing);  // unplugged by a fault: plug it in again
    }
    auto device = std::make_shared<VirtualDevice>(id, firmwareFor(product, config), m_capture);
    device->setUnplugHandler([signal = m_hotplug] { signal->raise(); });
    m_devices.push_back(device);
    m_hotplug->raise();
    return device;
}

Emulator::HotplugSignal::HotplugSignal() : fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Emulator::HotplugSignal::~HotplugSignal() {
    if (fd >= 0) ::close(fd);
}

void Emulator::HotplugSignal::raise() const {
    const uint64_t one = 1;
    if (fd >= 0) (void)!::write(fd, &one, sizeof one);
}

int Emulator::hotplugFd() {
    return m_hotplug->fd;
}

void Emulator::drainHotplug() {
    uint64_t count = 0;
    if (m_hotplug->fd >= 0) (void)!::read(m_hotplug->fd, &count, sizeof count);
}

bool Emulator::detach(Product product, Attachment attachment) {
    const DeviceId id{product, attachment};
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_devices.begin(), m_devices.end(),
                                 [&](const auto& device) { return device->id() == id; });
    if (it == m_devices.end()) return false;
    (*it)->unplug();
    m_devices.erase(it);
    return true;
}

std::shared_ptr<VirtualDevice> Emulator::device(Product product, Attachment attachment) const {
    const DeviceId id{product, attachment};
    std::lock_guard lock(m_mutex);
    for (const auto& device : m_devices) {
        if (device->id() == id) return device;
    }
    return nullptr;
}

std::shared_ptr<VirtualDevice> Emulator::deviceAt(std::string_view path) const {
    const auto address = parseNodePath(path);
    if (!address) return nullptr;
    const auto id = parseDeviceName(address->device);
    if (!id) return nullptr;
    auto found = device(id->product, id->attachment);
    if (!found) return nullptr;
    const auto numbers = found->interfaces();
    if (std::find(numbers.begin(), numbers.end(), address->interfaceNumber) == numbers.end()) return nullptr;
    return found;
}

bool Emulator::saveState() const {
    std::lock_guard lock(m_mutex);
    if (!m_persist) return false;
    bool ok = true;
    for (const auto& [product, firmware] : m_firmware) ok = firmware->save() && ok;
    return ok;
}

bool Emulator::enumerate(std::vector<HidEnumEntry>& out) {
    out.clear();
    std::lock_guard lock(m_mutex);
    for (const auto& device : m_devices) {
        if (!device->present()) continue;
        for (uint16_t number : device->interfaces()) {
            auto entries = entriesForNode(device->nodePath(number), device->attributes(), number,
                                          device->descriptor(number));
            std::move(entries.begin(), entries.end(), std::back_inserter(out));
        }
    }
    return true;
}

std::unique_ptr<HidNode> Emulator::openNode(std::string_view path, bool write) {
    auto device = deviceAt(path);
    setLastOpenError(0);
    if (!device || !device->present()) return nullptr;
    if (device->accessDenied()) {
        setLastOpenError(EACCES);  // as a hidraw node without the udev rule
        return nullptr;
    }
    const auto address = parseNodePath(path);
    // Another program sharing the state folder may have used the device since: open what it left.
    device->firmware().reloadIfReplaced();
    if (m_options.transport == Transport::SocketPair) {
        return openSocketNode(std::move(device), address->interfaceNumber, write);
    }
    return openInProcessNode(std::move(device), address->interfaceNumber, write);
}

std::vector<std::string> attachNamed(Emulator& emulator, const std::vector<std::string>& names) {
    std::vector<std::string> unknown;
    for (const std::string& name : names) {
        const auto id = parseDeviceName(name);
        if (!id) {
            unknown.push_back(name);
        } else if (!emulator.device(id->product, id->attachment)) {
            (void)emulator.attach(id->product, id->attachment);
        }
    }
    return unknown;
}

}  // namespace halvern::emu
