#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/attached_devices.h"
#include "cli/names.h"
#include "devices/light_target.h"
#include "rgbserver/controller_source.h"

namespace halvern::app {

/// The attached devices as the RGB server's controllers: each device's hardware light modes with the
/// settings its light editor offers, a "Direct" mode where the device streams host-painted frames, and its
/// LEDs (the keyboard's keys on their grid). Changes go through the devices' own light paths: a saved mode
/// as the Lighting tab saves it, a mode only shown and the Direct colours without touching the profile
/// file; a program that leaves gives every device it drove its own light back.
///
/// Runs on the interface thread, where the device objects live. Every call finds its device again, so a
/// device unplugged a moment ago is never touched.
class DeviceControllers final : public rgb::ControllerSource {
public:
    DeviceControllers(cli::AttachedDevices& devices, ScreenPixels screen);
    ~DeviceControllers() override;
    DeviceControllers(const DeviceControllers&) = delete;
    DeviceControllers& operator=(const DeviceControllers&) = delete;

    /// Looks at the attached devices again; true when the controllers changed, so the programs must ask
    /// for them again.
    [[nodiscard]] bool refresh();
    /// The name of the program that drives `device`'s lights now; nothing when none does.
    [[nodiscard]] std::optional<std::string> driverOf(const CMerivexUSBDevice& device) const;
    /// The names of the programs driving any device's lights now, each once.
    [[nodiscard]] std::vector<std::string> drivers() const;
    /// Waits, at most `bound` for each, until the served devices took what was sent to them (the lights given
    /// back when the programs left), for the application's end.
    void waitForWrites(std::chrono::milliseconds bound);
    /// Lets go of the devices without touching them (they are going, or gone).
    void forgetDevices();
    /// Called when a program starts or stops driving a device's lights.
    std::function<void()> driversChanged;

    // rgb::ControllerSource
    [[nodiscard]] size_t controllerCount() const override;
    [[nodiscard]] const rgb::RgbController* controller(size_t index) const override;
    void setLeds(size_t index, std::span<const rgb::RgbColor> colors, const rgb::RgbClient& client) override;
    void setCustomMode(size_t index, const rgb::RgbClient& client) override;
    void updateMode(size_t index, size_t modeIndex, const rgb::RgbMode& mode, bool save,
                    const rgb::RgbClient& client) override;
    [[nodiscard]] std::vector<std::string> profileNames() const override;
    void loadProfile(std::string_view name, const rgb::RgbClient& client) override;
    void clientLeft(const rgb::RgbClient& client) override;

private:
    struct Served;

    /// The served device at `index` while its device is still attached; null otherwise.
    [[nodiscard]] Served* live(size_t index) const;
    [[nodiscard]] static bool directOffered(const Served& served);
    [[nodiscard]] bool enterDirect(Served& served, const rgb::RgbClient& client);
    void takeDriver(Served& served, const rgb::RgbClient& client);
    void giveBack(Served& served);
    void describeDevice(Served& served) const;
    void describeState(Served& served) const;
    void describeModes(Served& served, const LightSetting& light, const LightModeLists& lists) const;

    cli::AttachedDevices& m_devices;
    ScreenPixels m_screen;
    const cli::EnglishTexts m_texts;
    std::vector<std::unique_ptr<Served>> m_served;
    std::vector<uint32_t> m_packed;         ///< a Direct update's colours as the LED frame holds them
    mutable std::vector<uint32_t> m_frame;  ///< a device's LED frame as a description reads it
};

}  // namespace halvern::app
