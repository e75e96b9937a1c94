#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"
#include "emulator/emulator_types.h"
#include "emulator/firmware.h"
#include "emulator/virtual_device.h"

namespace halvern::emu {

/// How an Emulator is set up.
struct EmulatorOptions {
    Transport transport = Transport::InProcess;
    /// Folder of state files, one per product ("mouse.state", ...). Memory is loaded from it when a
    /// product is first attached and saved after every End (0x02) and when the Emulator goes. Empty: the
    /// memory lives only as long as the Emulator.
    std::filesystem::path stateDirectory{};
    /// File that receives one line per report, "OUT <device> <hex bytes>" or "IN <device> <hex bytes>".
    /// Empty: no capture.
    std::filesystem::path captureFile{};
};

/// The device emulator as a HID backend: virtual products that enumerate and open like hidraw nodes.
///
/// Each attached product lists its interfaces (interface 0, a boot mouse or keyboard, where the product has
/// one; the command interface 1, or 3 for the headset) with node paths "emu:<device>/<interface>" plus the
/// "#<collection>" suffix of makeCollectionPath. Interface 1 carries four collections: 1 keyboard, 2 system
/// control, 3 consumer notifications (report ID 3), 4 commands (report ID 4, 64 bytes each way). Like a
/// hidraw node, every node opened on an interface receives every input report of that interface.
///
/// The cable and receiver forms of a product share one Firmware, so a product attached both ways at once
/// sees one memory, as the real device would. All members are thread-safe.
///
/// Typical test use:
/// @code
///   Emulator emulator({.transport = Transport::SocketPair});
///   auto mouse = emulator.attach(Product::Mouse, Attachment::Receiver);
///   mouse->setFaults({.latency = std::chrono::milliseconds(1)});
///   CommandChannel channel(emulator);            // opens "emu:mouse-receiver/1#4"
///   ...
///   mouse->emitNotification(0x1123);
///   auto record = mouse->firmware().region(Region::Settings);
/// @endcode
class Emulator final : public HidBackend {
public:
    explicit Emulator(EmulatorOptions options = {});
    /// Unplugs every device and saves the state files.
    ~Emulator() override;
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    /// Empty when the state folder and the capture file given in the options are usable; otherwise one
    /// sentence saying which one failed (the emulator then runs without it).
    [[nodiscard]] const std::string& setupError() const { return m_setupError; }

    /// Plugs in a product the given way. `config` applies when the product's firmware is made, on its first
    /// attach in this Emulator; later attaches (the other way, or again after an unplug) share that
    /// firmware and its memory. Returns the device, or null when the product has no receiver form or is
    /// already attached that way and present.
    std::shared_ptr<VirtualDevice> attach(Product product, Attachment attachment = Attachment::Cable,
                                          const DeviceConfig& config = {});
    /// Unplugs a device and removes it. Returns false when it was not attached.
    bool detach(Product product, Attachment attachment = Attachment::Cable);

    /// The attached device, or null.
    [[nodiscard]] std::shared_ptr<VirtualDevice> device(Product product,
                                                        Attachment attachment = Attachment::Cable) const;
    /// The device behind a node path ("emu:mouse/1" or "emu:mouse/1#4"), or null.
    [[nodiscard]] std::shared_ptr<VirtualDevice> deviceAt(std::string_view path) const;

    /// The capture file given in the options, or null.
    [[nodiscard]] std::shared_ptr<TrafficCapture> capture() const { return m_capture; }

    /// Saves every product's state file now. False when there is no state folder or a file failed.
    [[nodiscard]] bool saveState() const;

    /// Lists the collections of every present device's interfaces (through entriesForNode).
    [[nodiscard]] bool enumerate(std::vector<HidEnumEntry>& out) override;
    /// Opens an interface of a present device with the transport of the options. Null for an unknown path
    /// or a device that is gone.
    [[nodiscard]] std::unique_ptr<HidNode> openNode(std::string_view path, bool write) override;
    /// Readable after a device was attached, detached or unplugged by a fault.
    [[nodiscard]] int hotplugFd() override;
    void drainHotplug() override;
    /// Programs whose emulators keep their state in the same folder share the emulated devices (their
    /// memory), so they share the devices' locks; an emulator without a state folder shares nothing.
    [[nodiscard]] std::string lockScope() const override { return m_lockScope; }

private:
    /// An eventfd shared with the devices' unplug handlers, which may outlive the emulator.
    struct HotplugSignal {
        int fd;
        HotplugSignal();
        ~HotplugSignal();
        HotplugSignal(const HotplugSignal&) = delete;
        HotplugSignal& operator=(const HotplugSignal&) = delete;
        void raise() const;
    };
    std::shared_ptr<HotplugSignal> m_hotplug = std::make_shared<HotplugSignal>();

    std::shared_ptr<Firmware> firmwareFor(Product product, const DeviceConfig& config);

    const EmulatorOptions m_options;
    std::string m_setupError;
    bool m_persist = false;
    std::string m_lockScope;
    std::shared_ptr<TrafficCapture> m_capture;
    mutable std::mutex m_mutex;
    std::map<Product, std::shared_ptr<Firmware>> m_firmware;
    std::vector<std::shared_ptr<VirtualDevice>> m_devices;
};

/// Attaches every device named in `names` ("mouse", "mouse-receiver", ...) that is not attached yet.
/// Returns the names it did not know (nothing was attached for those).
std::vector<std::string> attachNamed(Emulator& emulator, const std::vector<std::string>& names);

}  // namespace halvern::emu
