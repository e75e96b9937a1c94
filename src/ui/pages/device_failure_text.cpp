#include "ui/pages/device_failure_text.h"

#include <array>
#include <utility>

#include "device/command_channel.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

constexpr std::array kStepTexts = std::to_array<std::pair<DeviceStep, const char*>>({
    {DeviceStep::None, "device_step_command"},
    {DeviceStep::Link, "device_step_link"},
    {DeviceStep::Information, "device_step_information"},
    {DeviceStep::KeyTable, "device_step_key_table"},
    {DeviceStep::LedTable, "device_step_led_table"},
    {DeviceStep::Settings, "device_step_settings"},
    {DeviceStep::State, "device_step_state"},
    {DeviceStep::Macros, "device_step_macros"},
    {DeviceStep::Recoil, "device_step_recoil"},
    {DeviceStep::CustomColours, "device_step_custom_colours"},
    {DeviceStep::Power, "device_step_power"},
    {DeviceStep::LightControl, "device_step_light_control"},
    {DeviceStep::Frame, "device_step_frame"},
    {DeviceStep::ProfileFile, "device_step_profile_file"},
});

constexpr std::array kReasonTexts = std::to_array<std::pair<int, const char*>>({
    {result::kNoReply, "device_reason_no_reply"},
    {result::kWriteFailed, "device_reason_write_failed"},
    {result::kReceiverUnreachable, "device_reason_unreachable"},
    {result::kStatusFF, "device_reason_refused"},
    {result::kStatusFE, "device_reason_refused"},
    {result::kBadBank, "device_reason_refused"},
    {DeviceResult::kRefused, "device_reason_cannot_take"},
    {DeviceResult::kFileError, "device_reason_file"},
});

template <typename Table, typename Key>
QString lookup(const Table& table, Key key, const char* fallback, const LanguageTexts& texts) {
    for (const auto& [k, id] : table) {
        if (k == key) return texts.text(QString::fromLatin1(id));
    }
    return texts.text(QString::fromLatin1(fallback));
}

}  // namespace

QString deviceFailureText(const DeviceResult& result, const LanguageTexts& texts) {
    const QString step = lookup(kStepTexts, result.step(), "device_step_command", texts);
    const QString reason = lookup(kReasonTexts, result.code(), "device_reason_other", texts);
    return texts.text(QStringLiteral("device_failed_text")).arg(step, reason);
}

}  // namespace halvern::ui
