#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "emulator/emulator_types.h"
#include "emulator/firmware.h"
#include "emulator/input_queue.h"
#include "emulator/traffic_capture.h"

namespace halvern::emu {

/// One product attached one way (cable or receiver): its USB identity, its HID interfaces, the faults set
/// on it, and the way from its nodes to the firmware and back. The firmware may be shared with the other
/// attachment of the same product. Thread-safe: tests set faults and emit notifications from any thread
/// while nodes exchange reports.
class VirtualDevice {
public:
    VirtualDevice(DeviceId id, std::shared_ptr<Firmware> firmware, std::shared_ptr<TrafficCapture> capture);
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    [[nodiscard]] DeviceId id() const { return m_id; }
    /// "mouse", "mouse-receiver", ...: the name in node paths and capture lines.
    [[nodiscard]] const std::string& name() const { return m_name; }
    [[nodiscard]] HidAttributes attributes() const { return m_attributes; }
    [[nodiscard]] const ProductModel& model() const { return m_firmware->model(); }
    /// USB interfaces with a HID node: interface 0 (boot device) when the product has one, then the
    /// command interface.
    [[nodiscard]] std::vector<uint16_t> interfaces() const;
    /// The report descriptor of one interface; empty for an interface the product lacks.
    [[nodiscard]] std::span<const uint8_t> descriptor(uint16_t interfaceNumber) const;
    /// "emu:<name>/<interface>", the node part of the paths that enumeration lists.
    [[nodiscard]] std::string nodePath(uint16_t interfaceNumber) const;

    // ---- Host side: called by the nodes. ----

    /// Registers an opened node's report buffer. A device already gone hangs it up at once.
    void attachSink(uint16_t interfaceNumber, const std::shared_ptr<ReportSink>& sink);
    /// True when reports written on this interface reach the firmware (command interface only).
    [[nodiscard]] bool takesOutput(uint16_t interfaceNumber) const;
    /// One output report over the interrupt pipe. A command report (ID 4, up to 64 bytes, zero-padded)
    /// goes to the firmware and its reply to every node of the interface; a headset LED report (ID 0xFF)
    /// is stored; other reports are ignored. Returns the bytes taken, or -1 when the device is gone or
    /// the report is empty, longer than 64 bytes or written to an interface without output reports.
    [[nodiscard]] ssize_t takeOutputReport(uint16_t interfaceNumber, std::span<const uint8_t> report);
    /// Waits as long as Faults::writeBlock says, or until the device vanishes (the writer's own thread).
    void stallWrite();
    /// The same through the control pipe (HIDIOCSOUTPUT). Returns true when the report was taken.
    [[nodiscard]] bool takeControlReport(uint16_t interfaceNumber, std::span<const uint8_t> report);

    // ---- Test side. ----

    void setFaults(const Faults& faults);
    [[nodiscard]] Faults faults() const;
    /// Receiver form only: whether the product behind the receiver answers. While it is down every command
    /// is answered by the receiver with command code 0xAA and byte 8 = 0x00.
    void setLinkUp(bool up);
    [[nodiscard]] bool linkUp() const;
    /// The device takes `reports` more output reports and vanishes right after the last of them, without
    /// answering it (0: at once). Pending reads then fail and writes return -1.
    void unplugAfterReports(unsigned reports);
    /// The device vanishes now: its nodes report POLLHUP, their reads and writes return -1, and
    /// enumeration no longer lists it.
    void unplug();
    /// Called (once, from the unplugging thread) when the device vanishes, whatever made it vanish.
    void setUnplugHandler(std::function<void()> handler);
    [[nodiscard]] bool present() const;
    /// Opening its nodes fails for lack of permission (as a hidraw node without the udev rule does).
    void setAccessDenied(bool denied);
    [[nodiscard]] bool accessDenied() const;
    /// Sends consumer report 3 with a 16-bit code (0x0401 resync, 0x0403 key press, 0x10xx record, 0x11xx
    /// record and DPI stage) to every node of the interface. False when the device is gone, or sits behind
    /// a receiver whose link is down.
    bool emitNotification(uint16_t code);

    [[nodiscard]] Firmware& firmware() { return *m_firmware; }
    [[nodiscard]] const Firmware& firmware() const { return *m_firmware; }

private:
    struct SinkEntry {
        uint16_t interfaceNumber;
        std::weak_ptr<ReportSink> sink;
    };

    void takeCommandLocked(const Report& request);
    Report answer(const Report& request);
    Report linkDownAnswer(const Report& request) const;
    Clock::time_point inputReadyTime(Clock::time_point sent);
    void deliverLocked(std::span<const uint8_t> report, Clock::time_point readyAt);
    void countOutputLocked();
    void unplugLocked();

    const DeviceId m_id;
    const std::string m_name;
    const std::shared_ptr<Firmware> m_firmware;
    const std::shared_ptr<TrafficCapture> m_capture;
    const HidAttributes m_attributes;

    mutable std::mutex m_mutex;
    std::condition_variable m_gone;  ///< notified when the device vanishes (ends stalled writes)
    Faults m_faults;
    bool m_linkUp = true;
    bool m_accessDenied = false;
    bool m_present = true;
    std::optional<unsigned> m_reportsUntilUnplug;
    std::function<void()> m_onUnplug;
    Clock::time_point m_outPipeFree{};  ///< latency model: when each direction's pipe is next free
    Clock::time_point m_inPipeFree{};
    std::vector<SinkEntry> m_sinks;
};

}  // namespace halvern::emu
