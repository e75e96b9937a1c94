#include "device/device_result.h"

#include <array>
#include <utility>

namespace halvern {
namespace {

constexpr std::array kStepNames = std::to_array<std::pair<DeviceStep, std::string_view>>({
    {DeviceStep::None, "the command"},
    {DeviceStep::Link, "the link through the receiver"},
    {DeviceStep::Information, "the device information"},
    {DeviceStep::KeyTable, "the key table"},
    {DeviceStep::LedTable, "the LED table"},
    {DeviceStep::Settings, "the settings"},
    {DeviceStep::State, "the onboard settings"},
    {DeviceStep::Macros, "the macros"},
    {DeviceStep::Recoil, "the recoil patterns"},
    {DeviceStep::CustomColours, "the custom colours"},
    {DeviceStep::Power, "the power status"},
    {DeviceStep::LightControl, "the light control"},
    {DeviceStep::Frame, "a light frame"},
    {DeviceStep::ProfileFile, "the profile file"},
});

constexpr std::array kReasons = std::to_array<std::pair<int, std::string_view>>({
    {0, "the device did not answer (is it connected?)"},
    {-1, "the request could not be sent"},
    {-101, "the receiver cannot reach the device (is it switched on?)"},
    {-102, "the device refused it (status 0xFF)"},
    {-103, "the device refused it (status 0xFE)"},
    {-201, "bad bank"},
    {DeviceResult::kRefused, "the device cannot take it"},
    {DeviceResult::kFileError, "the file could not be written (is the disk full or read-only?)"},
    {DeviceResult::kOverflow, "it does not fit the device's macro memory"},
    {DeviceResult::kCancelled, "it was cut short"},
});

}  // namespace

std::string_view stepName(DeviceStep step) {
    for (const auto& [s, name] : kStepNames) {
        if (s == step) return name;
    }
    return kStepNames[0].second;
}

std::string describe(const DeviceResult& result) {
    if (result.ok()) return "Done.";
    std::string reason = "result " + std::to_string(result.code());
    for (const auto& [code, text] : kReasons) {
        if (code == result.code()) reason = std::string(text);
    }
    if (result.isOverflow()) reason += ": remove " + std::to_string(result.overflowEvents()) + " events";
    const bool file = result.step() == DeviceStep::ProfileFile;
    return std::string(file ? "Saving " : "Writing ") + std::string(stepName(result.step())) +
           " failed: " + reason + ".";
}

}  // namespace halvern
