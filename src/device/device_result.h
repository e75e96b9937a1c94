#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halvern {

/// Which part of a device operation a result speaks of: what the user is told failed.
enum class DeviceStep : uint8_t {
    None,
    Link,           ///< the device behind the receiver (QueryLink)
    Information,    ///< the information block
    KeyTable,       ///< the key table (read or written)
    LedTable,       ///< the LED table
    Settings,       ///< the onboard settings record (written)
    State,          ///< the onboard settings record (read)
    Macros,         ///< the macro memory
    Recoil,         ///< the recoil memory
    CustomColours,  ///< the keyboard's custom colour memory
    Power,          ///< the power status
    LightControl,   ///< the announcement that the application drives the lights
    Frame,          ///< a streamed light frame
    ProfileFile,    ///< the user's profile file (not a device step: the file could not be written)
};

/// The outcome of one device operation. Success is one value; every failure keeps the command channel's
/// code (0 no reply or not connected, -1 write failed, -101 receiver cannot reach the device, -102 and -103
/// refusals, -201 bad bank), names the step that failed, and for a macro image that does not fit says how
/// many events must go. Marked [[nodiscard]] as a type, so no function that returns one can have its
/// result dropped.
class [[nodiscard]] DeviceResult {
public:
    /// Channel code of a refusal that is the program's own, not the device's (for example a key the
    /// device does not keep, or a write the link cannot carry).
    static constexpr int kRefused = -300;
    /// Channel code of a file that could not be written.
    static constexpr int kFileError = -301;
    /// Channel code of a macro image that does not fit the device's memory.
    static constexpr int kOverflow = -302;
    /// Channel code of an operation cut short because the device object went away or was stopped.
    static constexpr int kCancelled = -303;

    /// Success.
    constexpr DeviceResult() = default;

    /// The result of a command channel call for `step`: success for code 1, else a failure with the code.
    [[nodiscard]] static constexpr DeviceResult FromCode(int code, DeviceStep step) {
        return code == 1 ? DeviceResult{} : DeviceResult(code, step, 0);
    }
    [[nodiscard]] static constexpr DeviceResult Failure(int code, DeviceStep step) {
        return DeviceResult(code == 1 ? 0 : code, step, 0);
    }
    [[nodiscard]] static constexpr DeviceResult Refused(DeviceStep step) { return {kRefused, step, 0}; }
    [[nodiscard]] static constexpr DeviceResult FileError() {
        return {kFileError, DeviceStep::ProfileFile, 0};
    }
    [[nodiscard]] static constexpr DeviceResult Cancelled(DeviceStep step) { return {kCancelled, step, 0}; }
    /// A macro image `events` events too large for the device's memory (nothing was written).
    [[nodiscard]] static constexpr DeviceResult Overflow(int events) {
        return {kOverflow, DeviceStep::Macros, events};
    }

    [[nodiscard]] constexpr bool ok() const { return m_code == 1; }
    constexpr explicit operator bool() const { return ok(); }
    /// 1 on success, else the failure's code (see above).
    [[nodiscard]] constexpr int code() const { return m_code; }
    [[nodiscard]] constexpr DeviceStep step() const { return m_step; }
    /// Events to remove before the macro image fits; 0 unless the result is an overflow.
    [[nodiscard]] constexpr int overflowEvents() const { return m_overflow; }
    [[nodiscard]] constexpr bool isOverflow() const { return m_code == kOverflow; }

    friend constexpr bool operator==(const DeviceResult&, const DeviceResult&) = default;

private:
    constexpr DeviceResult(int code, DeviceStep step, int overflow)
        : m_code(code), m_step(step), m_overflow(overflow) {}

    int m_code = 1;
    DeviceStep m_step = DeviceStep::None;
    int m_overflow = 0;
};

/// "the settings", "the key table", ...: what a step is called in a sentence.
[[nodiscard]] std::string_view stepName(DeviceStep step);

/// One English sentence for a failed result, naming the step and the reason ("Writing the key table
/// failed: the device did not answer."); "Done." for success. The command line prints it; the window uses
/// its own translated texts.
[[nodiscard]] std::string describe(const DeviceResult& result);

}  // namespace halvern
