#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/device_session.h"
#include "cli/names.h"
#include "devices/usb_device.h"

namespace halvern::app::dbus {

/// One DPI stage as the bus carries it: (b enabled, u X DPI, u Y DPI, s colour).
struct DpiStageValue {
    bool enabled = false;
    uint dpiX = 0;
    uint dpiY = 0;
    QString colour;
    bool operator==(const DpiStageValue&) const = default;
};

/// What a property's reader gets: the device object, its kind and its command interface.
struct PropertySource {
    CMerivexUSBDevice& device;
    const DeviceKindInfo& kind;
    const cli::FoundDevice& found;
    const cli::EnglishTexts& texts;  ///< light mode names
};

/// One property of a device object. Reading takes it from the device object (what the device
/// acknowledged); writing is the halvernctl command line that changes it, so a write over the bus keeps
/// every rule the command keeps.
struct PropertyRow {
    const char* interface;
    const char* name;
    const char* kinds;  ///< the kinds that have it: a space-separated list, or "" for every kind
    QVariant (*read)(const PropertySource& source);
    /// The command words that set `value`, or nothing with `problem` set for a value that cannot be; null
    /// for a read-only property.
    std::optional<std::vector<std::string>> (*write)(const PropertySource& source, const QVariant& value,
                                                     std::string& problem);
};

[[nodiscard]] std::span<const PropertyRow> deviceProperties();
/// Whether `kind` has the property (or, with name empty, the interface at all).
[[nodiscard]] bool kindHas(const PropertyRow& row, std::string_view kind);
[[nodiscard]] bool kindHasInterface(std::string_view interface, std::string_view kind);
/// The row of `interface`.`name`; null when there is none.
[[nodiscard]] const PropertyRow* findProperty(const QString& interface, const QString& name);

/// The command words of a SetLighting call (several light settings in one write).
[[nodiscard]] std::optional<std::vector<std::string>> lightingWords(const PropertySource& source,
                                                                    const QVariantMap& settings,
                                                                    std::string& problem);
/// The command words of SetDpiStage.
[[nodiscard]] std::vector<std::string> dpiStageWords(uint stage, uint dpi, bool enabled);

/// Registers the bus types above; once, before the service answers.
void registerBusTypes();

}  // namespace halvern::app::dbus

Q_DECLARE_METATYPE(halvern::app::dbus::DpiStageValue)
