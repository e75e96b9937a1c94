#include "app/service/device_properties.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <algorithm>
#include <array>

#include "cli/json_output.h"
#include "cli/keyboard_session.h"
#include "cli/light_options.h"
#include "cli/light_record_session.h"
#include "cli/mouse_session.h"
#include "cli/option_words.h"
#include "cli/polling_rates.h"
#include "cli/service_names.h"
#include "devices/headset_eq.h"
#include "devices/keyboard_device.h"
#include "devices/light_record_device.h"
#include "devices/mouse_device.h"

QDBusArgument& operator<<(QDBusArgument& argument, const halvern::app::dbus::DpiStageValue& stage) {
    argument.beginStructure();
    argument << stage.enabled << stage.dpiX << stage.dpiY << stage.colour;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, halvern::app::dbus::DpiStageValue& stage) {
    argument.beginStructure();
    argument >> stage.enabled >> stage.dpiX >> stage.dpiY >> stage.colour;
    argument.endStructure();
    return argument;
}

namespace halvern::app::dbus {
namespace {

using Words = std::optional<std::vector<std::string>>;

const LightSetting* lightOf(CMerivexUSBDevice& device) {
    if (const auto* mouse = dynamic_cast<const CMerivexMouseDevice*>(&device))
        return &mouse->settings().light;
    if (const auto* keyboard = dynamic_cast<const CMerivexKeyboardDevice*>(&device))
        return &keyboard->settings().light;
    if (const auto* lit = dynamic_cast<const CMerivexLightRecordDevice*>(&device))
        return &lit->settings().light;
    return nullptr;
}

template <uint8_t LightSetting::*Field>
QVariant lightNumber(const PropertySource& source) {
    const LightSetting* light = lightOf(source.device);
    return light ? QVariant::fromValue<uint>(light->*Field) : QVariant();
}

cli::LightModeRange modeRange(std::string_view kind) {
    if (kind == "mouse") return cli::kMouseModes;
    if (kind == "keyboard") return cli::kKeyboardModes;
    return cli::lightRecordModes(kind);
}

QVariant modeName(const PropertySource& source) {
    const LightSetting* light = lightOf(source.device);
    const auto* lit = dynamic_cast<const CMerivexLitDevice*>(&source.device);
    if (!light || !lit) return {};
    return QString::fromStdString(
        cli::lightModeName(lit->lightLists(), light->mode, modeRange(source.kind.name), source.texts));
}

QVariant multicolour(const PropertySource& source) {
    const LightSetting* light = lightOf(source.device);
    return light ? QVariant(light->multiColor != 0) : QVariant();
}

QVariant colour(const PropertySource& source) {
    const LightSetting* light = lightOf(source.device);
    return light ? QString::fromStdString(cli::hexTriple(light->red, light->green, light->blue)) : QVariant();
}

/// The kind's name as the window's device list shows it (in English).
QVariant deviceName(const PropertySource& source) {
    return QString::fromStdString(cli::kindDisplayName(source.kind.name, source.texts));
}

QVariant firmware(const PropertySource& source) {
    if (source.found.viaReceiver) return QString();
    return QString::fromStdString(cli::firmwareVersionText(source.found.command.attributes.versionNumber));
}

QVariant dpiStages(const PropertySource& source) {
    const auto* mouse = dynamic_cast<const CMerivexMouseDevice*>(&source.device);
    if (!mouse) return {};
    const DpiScale scale = mouse->dpiScale();
    QList<DpiStageValue> stages;
    for (const DpiStage& stage : mouse->settings().stages) {
        const uint x = static_cast<uint>(scale.dpi(stage.dpiX));
        stages.push_back({stage.active != 0, x, stage.xy ? static_cast<uint>(scale.dpi(stage.dpiY)) : x,
                          QString::fromStdString(cli::hexTriple(stage.red, stage.green, stage.blue))});
    }
    return QVariant::fromValue(stages);
}

QVariant activeStage(const PropertySource& source) {
    const auto* mouse = dynamic_cast<const CMerivexMouseDevice*>(&source.device);
    return mouse ? QVariant::fromValue<uint>(static_cast<uint>(mouse->settings().activeStage)) : QVariant();
}

QVariant pollingRate(const PropertySource& source) {
    std::optional<int> hz;
    if (const auto* mouse = dynamic_cast<const CMerivexMouseDevice*>(&source.device))
        hz = cli::pollingRateHz(mouse->settings().system.reportRate, cli::kMousePolling);
    if (const auto* keyboard = dynamic_cast<const CMerivexKeyboardDevice*>(&source.device))
        hz = cli::pollingRateHz(keyboard->settings().system.pollingRate, cli::kKeyboardPolling);
    return QVariant::fromValue<uint>(hz ? static_cast<uint>(*hz) : 0U);
}

template <uint16_t KeyboardSystem::*Field>
QVariant keyboardNumber(const PropertySource& source) {
    const auto* keyboard = dynamic_cast<const CMerivexKeyboardDevice*>(&source.device);
    return keyboard ? QVariant::fromValue<uint>(keyboard->settings().system.*Field) : QVariant();
}

QVariant winLock(const PropertySource& source) {
    const auto* keyboard = dynamic_cast<const CMerivexKeyboardDevice*>(&source.device);
    return keyboard ? QVariant(keyboard->settings().system.winFlag != 0) : QVariant();
}

template <int32_t HeadsetSystem::*Field>
QVariant headsetNumber(const PropertySource& source) {
    auto* headset = dynamic_cast<CMerivexHS6533Device*>(&source.device);
    return headset
               ? QVariant::fromValue<uint>(static_cast<uint>(std::max(0, headset->audioSettings().*Field)))
               : QVariant();
}

template <int32_t HeadsetSystem::*Field>
QVariant headsetSwitch(const PropertySource& source) {
    auto* headset = dynamic_cast<CMerivexHS6533Device*>(&source.device);
    return headset ? QVariant(headset->audioSettings().*Field != 0) : QVariant();
}

/// A whole number the value holds (of any integer type the caller sent), or nothing.
std::optional<uint> wholeNumber(const QVariant& value, std::string& problem) {
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    const bool integral =
        value.metaType().id() != QMetaType::Double && value.metaType().id() != QMetaType::Bool;
    if (!ok || !integral || number < 0 || number > 0xFFFFFFFFLL) {
        problem = "expected a whole number of 0 or more";
        return std::nullopt;
    }
    return static_cast<uint>(number);
}

std::optional<bool> truth(const QVariant& value, std::string& problem) {
    if (value.metaType().id() != QMetaType::Bool) {
        problem = "expected a boolean";
        return std::nullopt;
    }
    return value.toBool();
}

/// The light command with the device's current mode: the command takes the mode with every change.
std::vector<std::string> lightCommand(const PropertySource& source, std::optional<uint> mode = {}) {
    const LightSetting* light = lightOf(source.device);
    const uint current = light ? light->mode : 0U;
    return {"light", "--device", std::string(source.kind.name), "--mode",
            std::to_string(mode.value_or(current))};
}

template <const char* Option>
Words lightNumberWords(const PropertySource& source, const QVariant& value, std::string& problem) {
    const auto number = wholeNumber(value, problem);
    if (!number) return std::nullopt;
    auto words = lightCommand(source);
    words.insert(words.end(), {Option, std::to_string(*number)});
    return words;
}

Words lightModeWords(const PropertySource& source, const QVariant& value, std::string& problem) {
    const auto number = wholeNumber(value, problem);
    if (!number) return std::nullopt;
    return lightCommand(source, number);
}

Words multicolourWords(const PropertySource& source, const QVariant& value, std::string& problem) {
    const auto on = truth(value, problem);
    if (!on) return std::nullopt;
    auto words = lightCommand(source);
    words.insert(words.end(), {"--multicolor", *on ? "1" : "0"});
    return words;
}

Words colourWords(const PropertySource& source, const QVariant& value, std::string& problem) {
    if (value.metaType().id() != QMetaType::QString) {
        problem = "expected a colour as RRGGBB";
        return std::nullopt;
    }
    auto words = lightCommand(source);
    words.insert(words.end(), {"--color", value.toString().toStdString()});
    return words;
}

/// The bus counts the stages from 0 (ActiveStage indexes DpiStages); halvernctl from 1, as the window.
std::string stageWord(uint stage) {
    return std::to_string(static_cast<unsigned long long>(stage) + 1);
}

Words activeStageWords(const PropertySource&, const QVariant& value, std::string& problem) {
    const auto number = wholeNumber(value, problem);
    if (!number) return std::nullopt;
    return std::vector<std::string>{"dpi-active", stageWord(*number)};
}

Words pollingWords(const PropertySource& source, const QVariant& value, std::string& problem) {
    const auto number = wholeNumber(value, problem);
    if (!number) return std::nullopt;
    if (*number < static_cast<uint>(cli::kPollingRatesHz.front())) {  // the command would take an index
        problem = "the polling rate is given in Hz";
        return std::nullopt;
    }
    return std::vector<std::string>{"polling", "--device", std::string(source.kind.name),
                                    std::to_string(*number)};
}

/// A switch as 0 or 1, or a whole number: the command words of both are numbers.
std::optional<uint> switchOrNumber(const QVariant& value, std::string& problem) {
    if (value.metaType().id() == QMetaType::Bool) return value.toBool() ? 1U : 0U;
    return wholeNumber(value, problem);
}

template <const char* Command, const char* Option>
Words systemWords(const PropertySource&, const QVariant& value, std::string& problem) {
    const auto number = switchOrNumber(value, problem);
    if (!number) return std::nullopt;
    return std::vector<std::string>{Command, Option, std::to_string(*number)};
}

/// `headset CONTROL OPTION VALUE`: the microphone, monitor and voice settings.
template <const char* Control, const char* Option>
Words headsetWords(const PropertySource&, const QVariant& value, std::string& problem) {
    const auto number = switchOrNumber(value, problem);
    if (!number) return std::nullopt;
    return std::vector<std::string>{"headset", Control, Option, std::to_string(*number)};
}

Words equaliserWords(const PropertySource&, const QVariant& value, std::string& problem) {
    const auto number = wholeNumber(value, problem);
    if (!number) return std::nullopt;
    return std::vector<std::string>{"headset", "eq",
                                    *number == headset_eq::kCustomType ? "custom" : std::to_string(*number)};
}

constexpr char kMic[] = "mic";
constexpr char kMonitor[] = "monitor";
constexpr char kVoice[] = "voice";
constexpr char kOn[] = "--on";
constexpr char kLevel[] = "--level";
constexpr char kType[] = "--type";
constexpr char kBrightness[] = "--brightness";
constexpr char kSpeed[] = "--speed";
constexpr char kDirection[] = "--direction";
constexpr char kRepeat[] = "repeat";
constexpr char kFlags[] = "flags";
constexpr char kRate[] = "--rate";
constexpr char kDelay[] = "--delay";
constexpr char kWinLock[] = "--win-lock";

constexpr const char* kDevice = halvern::service::kDeviceInterface;
constexpr const char* kLighting = halvern::service::kLightingInterface;
constexpr const char* kMouse = halvern::service::kMouseInterface;
constexpr const char* kKeyboard = halvern::service::kKeyboardInterface;
constexpr const char* kHeadset = halvern::service::kHeadsetInterface;

const std::array<PropertyRow, 29> kProperties{{
    {kDevice, "Kind", "", [](const PropertySource& s) { return QVariant(QString::fromUtf8(s.kind.name)); },
     nullptr},
    {kDevice, "Name", "", deviceName, nullptr},
    {kDevice, "Connection", "",
     [](const PropertySource& s) {
         return QVariant(QString::fromLatin1(s.found.viaReceiver ? "receiver" : "cable"));
     },
     nullptr},
    {kDevice, "VendorId", "",
     [](const PropertySource& s) { return QVariant::fromValue<ushort>(s.found.command.attributes.vendorId); },
     nullptr},
    {kDevice, "ProductId", "",
     [](const PropertySource& s) {
         return QVariant::fromValue<ushort>(s.found.command.attributes.productId);
     },
     nullptr},
    {kDevice, "Path", "",
     [](const PropertySource& s) { return QVariant(QString::fromStdString(s.found.command.path)); }, nullptr},
    {kDevice, "FirmwareVersion", "", firmware, nullptr},
    {kDevice, "ActiveProfile", "",
     [](const PropertySource& s) { return QVariant(QString::fromStdString(s.device.GetProfileName())); },
     nullptr},
    {kLighting, "Mode", "", lightNumber<&LightSetting::mode>, lightModeWords},
    {kLighting, "ModeName", "", modeName, nullptr},
    {kLighting, "Brightness", "", lightNumber<&LightSetting::brightness>, lightNumberWords<kBrightness>},
    {kLighting, "Speed", "", lightNumber<&LightSetting::speed>, lightNumberWords<kSpeed>},
    {kLighting, "Direction", "mouse keyboard", lightNumber<&LightSetting::direction>,
     lightNumberWords<kDirection>},
    {kLighting, "Multicolour", "", multicolour, multicolourWords},
    {kLighting, "Colour", "", colour, colourWords},
    {kMouse, "DpiStages", "mouse", dpiStages, nullptr},
    {kMouse, "ActiveStage", "mouse", activeStage, activeStageWords},
    {kMouse, "PollingRate", "mouse", pollingRate, pollingWords},
    {kKeyboard, "PollingRate", "keyboard", pollingRate, pollingWords},
    {kKeyboard, "WinLock", "keyboard", winLock, systemWords<kFlags, kWinLock>},
    {kKeyboard, "RepeatRate", "keyboard", keyboardNumber<&KeyboardSystem::repeat>,
     systemWords<kRepeat, kRate>},
    {kKeyboard, "RepeatDelay", "keyboard", keyboardNumber<&KeyboardSystem::repeatDelay>,
     systemWords<kRepeat, kDelay>},
    {kHeadset, "Equaliser", "headset", headsetNumber<&HeadsetSystem::eqType>, equaliserWords},
    {kHeadset, "Microphone", "headset", headsetSwitch<&HeadsetSystem::micInSelect>, headsetWords<kMic, kOn>},
    {kHeadset, "MicrophoneLevel", "headset", headsetNumber<&HeadsetSystem::micInValue>,
     headsetWords<kMic, kLevel>},
    {kHeadset, "Monitor", "headset", headsetSwitch<&HeadsetSystem::micMonitorSelect>,
     headsetWords<kMonitor, kOn>},
    {kHeadset, "MonitorLevel", "headset", headsetNumber<&HeadsetSystem::micMonitorValue>,
     headsetWords<kMonitor, kLevel>},
    {kHeadset, "VoiceEffect", "headset", headsetSwitch<&HeadsetSystem::magicEnable>,
     headsetWords<kVoice, kOn>},
    {kHeadset, "Voice", "headset", headsetNumber<&HeadsetSystem::magicType>, headsetWords<kVoice, kType>},
}};

}  // namespace

std::span<const PropertyRow> deviceProperties() {
    return kProperties;
}

bool kindHas(const PropertyRow& row, std::string_view kind) {
    const std::string_view kinds = row.kinds;
    if (kinds.empty()) return true;
    size_t start = 0;
    while (start <= kinds.size()) {
        const size_t end = std::min(kinds.find(' ', start), kinds.size());
        if (kinds.substr(start, end - start) == kind) return true;
        start = end + 1;
    }
    return false;
}

bool kindHasInterface(std::string_view interface, std::string_view kind) {
    for (const PropertyRow& row : kProperties) {
        if (interface == row.interface && kindHas(row, kind)) return true;
    }
    return false;
}

const PropertyRow* findProperty(const QString& interface, const QString& name) {
    for (const PropertyRow& row : kProperties) {
        if (interface == QLatin1String(row.interface) && name == QLatin1String(row.name)) return &row;
    }
    return nullptr;
}

std::optional<std::vector<std::string>> lightingWords(const PropertySource& source,
                                                      const QVariantMap& settings, std::string& problem) {
    struct Key {
        const char* name;
        const char* option;
        bool boolean;
    };
    static constexpr std::array<Key, 6> kKeys{{{"Mode", nullptr, false},
                                               {"Brightness", kBrightness, false},
                                               {"Speed", kSpeed, false},
                                               {"Direction", kDirection, false},
                                               {"Multicolour", "--multicolor", true},
                                               {"Colour", "--color", false}}};
    std::optional<uint> mode;
    if (settings.contains(QStringLiteral("Mode"))) {
        mode = wholeNumber(settings.value(QStringLiteral("Mode")), problem);
        if (!mode) return std::nullopt;
    }
    auto words = lightCommand(source, mode);
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        const auto key = std::find_if(kKeys.begin(), kKeys.end(),
                                      [&](const Key& k) { return it.key() == QLatin1String(k.name); });
        if (key == kKeys.end()) {
            problem = "unknown light setting " + it.key().toStdString();
            return std::nullopt;
        }
        if (!key->option) continue;  // the mode leads the command
        std::string value;
        if (key->boolean) {
            const auto on = truth(it.value(), problem);
            if (!on) return std::nullopt;
            value = *on ? "1" : "0";
        } else if (std::string_view(key->name) == "Colour") {
            if (it.value().metaType().id() != QMetaType::QString) {
                problem = "expected a colour as RRGGBB";
                return std::nullopt;
            }
            value = it.value().toString().toStdString();
        } else {
            const auto number = wholeNumber(it.value(), problem);
            if (!number) return std::nullopt;
            value = std::to_string(*number);
        }
        words.insert(words.end(), {key->option, value});
    }
    return words;
}

std::vector<std::string> dpiStageWords(uint stage, uint dpi, bool enabled) {
    return {"dpi", stageWord(stage), "--dpi", std::to_string(dpi), "--enable", enabled ? "1" : "0"};
}

void registerBusTypes() {
    qDBusRegisterMetaType<DpiStageValue>();
    qDBusRegisterMetaType<QList<DpiStageValue>>();
}

}  // namespace halvern::app::dbus
