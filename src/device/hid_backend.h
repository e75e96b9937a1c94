#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvern {

/// Vendor ID, product ID and version number (bcdDevice) of a USB HID device.
struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

/// One enumerated HID interface as the supported-device table sees it: one top-level collection of one USB
/// interface. `path` names that collection uniquely and is what HidInterface::Open takes.
struct HidEnumEntry {
    std::string path;
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;  ///< bInterfaceNumber of the USB interface
    uint16_t collection = 0;       ///< 1-based top-level collection; 0 when the interface has only one
    uint16_t usagePage = 0;        ///< of that collection, from the report descriptor
    uint16_t usage = 0;
};

/// An opened device node: one USB HID interface with every top-level collection it carries (one hidraw
/// node on Linux). Reads and writes never block; HidInterface waits on pollFd() with its own time-outs.
/// As with hidraw, every node opened on the same interface receives its own copy of every input report
/// (a command channel and a notification reader open the same interface independently).
class HidNode {
public:
    virtual ~HidNode() = default;

    /// Readable (POLLIN) when an input report waits; POLLHUP/POLLERR once the device is gone.
    [[nodiscard]] virtual int pollFd() const = 0;

    /// Takes one waiting input report (first byte = report ID when the device numbers its reports).
    /// Returns its length, 0 when none waits, -1 when the device failed or is gone.
    [[nodiscard]] virtual ssize_t readReport(std::span<uint8_t> buffer) = 0;

    /// Sends one output report over the interrupt pipe. Returns the bytes taken, 0 when the device cannot
    /// take it now (try again after POLLOUT), -1 on failure.
    [[nodiscard]] virtual ssize_t writeReport(std::span<const uint8_t> report) = 0;
    /// Whether writeReport may block until the device takes the report (hidraw does, for as long as the
    /// USB transfer takes): HidInterface then writes from a thread it can give up on.
    [[nodiscard]] virtual bool writeMayBlock() const { return false; }

    /// Sends one output report through the control pipe (HIDIOCSOUTPUT). Returns true on success.
    [[nodiscard]] virtual bool setOutputReport(std::span<const uint8_t> report) = 0;

    [[nodiscard]] virtual std::vector<uint8_t> reportDescriptor() const = 0;
    [[nodiscard]] virtual HidAttributes attributes() const = 0;
    [[nodiscard]] virtual uint16_t interfaceNumber() const = 0;
};

/// Where HID interfaces come from: the kernel's hidraw nodes, or the device emulator.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    /// Lists every present HID interface collection. Returns false when the listing itself failed.
    [[nodiscard]] virtual bool enumerate(std::vector<HidEnumEntry>& out) = 0;

    /// Opens the node behind a path of enumerate() (any collection suffix is ignored). Null on failure.
    [[nodiscard]] virtual std::unique_ptr<HidNode> openNode(std::string_view path, bool write) = 0;

    /// A descriptor that becomes readable when devices come or go, so discovery can sleep until then;
    /// -1 when the backend has none (discovery then looks every 100 ms).
    [[nodiscard]] virtual int hotplugFd() { return -1; }
    /// Takes the pending hot-plug events after hotplugFd() became readable.
    virtual void drainHotplug() {}

    /// Names the set of devices that other programs reach through a backend like this one, for the
    /// per-device locks (see deviceLockFile): programs whose backends give the same scope share their
    /// devices' locks. Empty when no other program can reach these devices, so nothing needs a lock.
    [[nodiscard]] virtual std::string lockScope() const { return {}; }
};

/// Why the calling thread's last HidBackend::openNode failed (an errno value such as EACCES), or 0 when it
/// succeeded. Backends set it; discovery reads it to tell a missing permission from a node still settling.
[[nodiscard]] int lastOpenError();
void setLastOpenError(int error);

/// Paths name a collection as "<node>#<collection>"; a node with one collection has no suffix.
[[nodiscard]] std::string makeCollectionPath(std::string_view node, uint16_t collection);
/// Splits a collection path into its node part and collection number (0 without suffix).
struct CollectionPath {
    std::string_view node;
    uint16_t collection = 0;
};
[[nodiscard]] CollectionPath splitCollectionPath(std::string_view path);

}  // namespace halvern
