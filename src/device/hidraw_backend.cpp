#include "device/hidraw_backend.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

#include "device/debug_sink.h"
#include "device/report_descriptor.h"

namespace halvern {
namespace {

struct UdevDeleter {
    void operator()(udev* p) const { udev_unref(p); }
    void operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
    void operator()(udev_device* p) const { udev_device_unref(p); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

uint16_t hexAttribute(udev_device* device, const char* name) {
    const char* text = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    if (!text) return 0;
    unsigned value = 0;
    std::from_chars(text, text + std::strlen(text), value, 16);
    return static_cast<uint16_t>(value);
}

// Identity from the udev parents of a hidraw device. Parents are owned by the child.
struct NodeInfo {
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;
    std::string descriptorFile;
};

bool describe(udev_device* hidraw, NodeInfo& info) {
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (!hid) return false;
    // HID_ID is "bus:vendor:product" in hex, e.g. "0003:0000320F:0000221C".
    const char* id = udev_device_get_property_value(hid, "HID_ID");
    unsigned bus = 0, vid = 0, pid = 0;
    if (!id || std::sscanf(id, "%x:%x:%x", &bus, &vid, &pid) != 3) return false;
    info.attributes.vendorId = static_cast<uint16_t>(vid);
    info.attributes.productId = static_cast<uint16_t>(pid);
    info.descriptorFile = std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
    udev_device* usbInterface = udev_device_get_parent_with_subsystem_devtype(hid, "usb", "usb_interface");
    udev_device* usbDevice = udev_device_get_parent_with_subsystem_devtype(hid, "usb", "usb_device");
    info.interfaceNumber = hexAttribute(usbInterface, "bInterfaceNumber");
    info.attributes.versionNumber = hexAttribute(usbDevice, "bcdDevice");
    return true;
}

std::vector<uint8_t> readDescriptorFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes;
    char c;
    while (bytes.size() < HID_MAX_DESCRIPTOR_SIZE && in.get(c)) bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

class HidrawNode final : public HidNode {
public:
    HidrawNode(int fd, std::vector<uint8_t> descriptor, HidAttributes attributes, uint16_t interfaceNumber)
        : m_fd(fd),
          m_descriptor(std::move(descriptor)),
          m_attributes(attributes),
          m_interfaceNumber(interfaceNumber) {}
    ~HidrawNode() override { ::close(m_fd); }
    HidrawNode(const HidrawNode&) = delete;
    HidrawNode& operator=(const HidrawNode&) = delete;

    [[nodiscard]] int pollFd() const override { return m_fd; }

    ssize_t readReport(std::span<uint8_t> buffer) override {
        const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
        return n;
    }

    ssize_t writeReport(std::span<const uint8_t> report) override {
        const ssize_t n = ::write(m_fd, report.data(), report.size());
        if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
        return n;
    }

    // The kernel's hidraw write waits for the interrupt-out transfer whatever O_NONBLOCK says.
    [[nodiscard]] bool writeMayBlock() const override { return true; }

    bool setOutputReport(std::span<const uint8_t> report) override {
        std::vector<uint8_t> copy(report.begin(), report.end());  // the ioctl takes a writable buffer
        return ::ioctl(m_fd, HIDIOCSOUTPUT(copy.size()), copy.data()) >= 0;
    }

    [[nodiscard]] std::vector<uint8_t> reportDescriptor() const override { return m_descriptor; }
    [[nodiscard]] HidAttributes attributes() const override { return m_attributes; }
    [[nodiscard]] uint16_t interfaceNumber() const override { return m_interfaceNumber; }

private:
    int m_fd;
    std::vector<uint8_t> m_descriptor;
    HidAttributes m_attributes;
    uint16_t m_interfaceNumber;
};

}  // namespace

struct HidrawBackend::Monitor {
    UdevPtr<udev> context{udev_new()};
    udev_monitor* monitor = nullptr;
    ~Monitor() {
        if (monitor) udev_monitor_unref(monitor);
    }
};

HidrawBackend::HidrawBackend() = default;
HidrawBackend::~HidrawBackend() = default;

int HidrawBackend::hotplugFd() {
    if (!m_monitor) {
        m_monitor = std::make_unique<Monitor>();
        if (m_monitor->context) {
            udev_monitor* m = udev_monitor_new_from_netlink(m_monitor->context.get(), "udev");
            if (m && udev_monitor_filter_add_match_subsystem_devtype(m, "hidraw", nullptr) >= 0 &&
                udev_monitor_enable_receiving(m) >= 0) {
                m_monitor->monitor = m;
            } else if (m) {
                udev_monitor_unref(m);
            }
        }
    }
    return m_monitor->monitor ? udev_monitor_get_fd(m_monitor->monitor) : -1;
}

void HidrawBackend::drainHotplug() {
    if (!m_monitor || !m_monitor->monitor) return;
    // The socket is non-blocking: take every queued event, the scan that follows looks at all devices.
    while (udev_device* event = udev_monitor_receive_device(m_monitor->monitor)) udev_device_unref(event);
}

bool HidrawBackend::enumerate(std::vector<HidEnumEntry>& out) {
    UdevPtr<udev> context(udev_new());
    if (!context) return false;
    UdevPtr<udev_enumerate> listing(udev_enumerate_new(context.get()));
    if (!listing || udev_enumerate_add_match_subsystem(listing.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(listing.get()) < 0) {
        return false;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(listing.get())) {
        UdevPtr<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        const char* node = device ? udev_device_get_devnode(device.get()) : nullptr;
        NodeInfo info;
        if (!node || !describe(device.get(), info)) continue;  // vanished meanwhile, or not a HID device
        const std::vector<uint8_t> descriptor = readDescriptorFile(info.descriptorFile);
        for (HidEnumEntry& e : entriesForNode(node, info.attributes, info.interfaceNumber, descriptor)) {
            out.push_back(std::move(e));
        }
    }
    return true;
}

std::unique_ptr<HidNode> HidrawBackend::openNode(std::string_view path, bool write) {
    const std::string node(splitCollectionPath(path).node);
    const int fd = ::open(node.c_str(), (write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    setLastOpenError(fd < 0 ? errno : 0);
    if (fd < 0) {
        debugLog("hidraw: cannot open " + node + ": " + std::strerror(errno));
        return nullptr;
    }
    auto fail = [fd] {
        ::close(fd);
        return nullptr;
    };
    int size = 0;
    hidraw_report_descriptor descriptor{};
    hidraw_devinfo rawInfo{};
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) return fail();
    descriptor.size = static_cast<uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0 || ::ioctl(fd, HIDIOCGRAWINFO, &rawInfo) < 0)
        return fail();

    HidAttributes attributes{static_cast<uint16_t>(rawInfo.vendor), static_cast<uint16_t>(rawInfo.product),
                             0};
    uint16_t interfaceNumber = 0;
    struct stat st {};
    UdevPtr<udev> context(udev_new());
    if (context && ::fstat(fd, &st) == 0) {
        UdevPtr<udev_device> device(udev_device_new_from_devnum(context.get(), 'c', st.st_rdev));
        NodeInfo info;
        if (device && describe(device.get(), info)) {
            attributes.versionNumber = info.attributes.versionNumber;
            interfaceNumber = info.interfaceNumber;
        }
    }
    std::vector<uint8_t> bytes(descriptor.value, descriptor.value + descriptor.size);
    return std::make_unique<HidrawNode>(fd, std::move(bytes), attributes, interfaceNumber);
}

}  // namespace halvern
