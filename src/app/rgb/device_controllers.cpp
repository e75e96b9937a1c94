#include "app/rgb/device_controllers.h"

#include <algorithm>
#include <array>

#include "cli/device_session.h"
#include "cli/json_output.h"
#include "cli/key_names.h"
#include "device/debug_sink.h"
#include "devices/keyboard_device.h"
#include "devices/light_record_device.h"
#include "devices/mouse_device.h"
#include "lighting/keyboard_layout.h"
#include "lighting/light_mode_layout.h"

namespace halvern::app {
namespace {

/// What RGB programs call each kind, by its row of the kind table (mouse, keyboard, mouse pad, headset).
constexpr std::array<rgb::DeviceType, kDeviceKindCount> kRgbTypes{
    rgb::DeviceType::Mouse, rgb::DeviceType::Keyboard, rgb::DeviceType::Mousemat, rgb::DeviceType::Headset};

/// What the mode list shows for Direct, in front of the device's own modes.
constexpr int kDirectMode = -1;
constexpr std::string_view kModePrefix = "light_mode_";

uint32_t packed(rgb::RgbColor c) {
    return uint32_t{c.red} | uint32_t{c.green} << 8 | uint32_t{c.blue} << 16 | 0xFFu << 24;
}

bool enabled(const LightModeLayoutPlan& plan, LightArea area) {
    return plan.area(area) != ControlState::Disabled;  // an area a mode leaves as it was is offered
}

/// A hardware mode as RGB programs see it: what its light editor offers, with the device's ranges.
rgb::RgbMode describeMode(const LightTarget& target, size_t mode, const LightSetting& light,
                          const cli::EnglishTexts& texts, uint16_t typeCode) {
    const LightModeLists& lists = target.lightModes();
    rgb::RgbMode m;
    m.name = texts.shown(lists.names[mode], kModePrefix);
    m.value = static_cast<int32_t>(mode);
    const LightModeLayoutPlan plan =
        LightModeLayout(typeCode, mode < lists.values.size() ? lists.values[mode] : 0);
    const bool current = light.mode == mode;
    if (enabled(plan, LightArea::Speed) && !plan.speedHidden) {
        m.flags |= rgb::mode_flag::kHasSpeed;
        m.speedMax = static_cast<uint32_t>(target.speedMax());
        m.speed = current ? light.speed : m.speedMax / 2;
    }
    if (enabled(plan, LightArea::Brightness)) {
        m.flags |= rgb::mode_flag::kHasBrightness;
        m.brightnessMax = static_cast<uint32_t>(target.brightnessMax());
        m.brightness = current ? light.brightness : m.brightnessMax;
    }
    if (enabled(plan, LightArea::Direction) && plan.direction.first.size() > 0) {
        m.flags |= rgb::mode_flag::kHasDirectionLeftRight;
        m.direction = current ? light.direction : 0;
    }
    const bool colour = plan.colourAreaEnabled && enabled(plan, LightArea::Colour);
    const bool random = plan.colourAreaEnabled && enabled(plan, LightArea::Multicolour);
    if (colour) {
        m.flags |= rgb::mode_flag::kHasModeSpecificColor;
        m.colorsMin = m.colorsMax = 1;
        m.colors = {rgb::RgbColor{light.red, light.green, light.blue}};
        m.colorMode = rgb::ColorMode::ModeSpecific;
    }
    if (random) {
        m.flags |= rgb::mode_flag::kHasRandomColor;
        if (current && light.multiColor != 0) m.colorMode = rgb::ColorMode::Random;
    }
    return m;
}

rgb::RgbMode directMode() {
    rgb::RgbMode m;
    m.name = "Direct";
    m.value = kDirectMode;
    m.flags = rgb::mode_flag::kHasPerLedColor;
    m.colorMode = rgb::ColorMode::PerLed;
    return m;
}

/// `mode`'s settings from a program, taken into `light` as the light editor would take them; nothing when
/// the program asks for something the mode does not offer or a value outside its range.
std::optional<LightSetting> lightFromMode(const rgb::RgbMode& offered, const rgb::RgbMode& asked,
                                          LightSetting light) {
    light.mode = static_cast<uint8_t>(offered.value);
    if (offered.flags & rgb::mode_flag::kHasSpeed) {
        if (asked.speed > offered.speedMax) return std::nullopt;
        light.speed = static_cast<uint8_t>(asked.speed);
    }
    if (offered.flags & rgb::mode_flag::kHasBrightness) {
        // Before version 3 a program sends no brightness: the mode keeps its own.
        if (asked.brightness > offered.brightnessMax) return std::nullopt;
        if (asked.brightness != 0 || asked.brightnessMax != 0)
            light.brightness = static_cast<uint8_t>(asked.brightness);
    }
    if (offered.flags & rgb::mode_flag::kHasDirectionLeftRight) {
        if (asked.direction > static_cast<uint32_t>(rgb::Direction::Right)) return std::nullopt;
        light.direction = static_cast<uint8_t>(asked.direction);
    }
    switch (asked.colorMode) {
        case rgb::ColorMode::None:
            break;
        case rgb::ColorMode::Random:
            if (!(offered.flags & rgb::mode_flag::kHasRandomColor)) return std::nullopt;
            light.multiColor = 1;
            break;
        case rgb::ColorMode::ModeSpecific:
            if (!(offered.flags & rgb::mode_flag::kHasModeSpecificColor) || asked.colors.size() != 1)
                return std::nullopt;
            light.multiColor = 0;
            light.red = asked.colors[0].red;
            light.green = asked.colors[0].green;
            light.blue = asked.colors[0].blue;
            break;
        case rgb::ColorMode::PerLed:
            return std::nullopt;  // only Direct takes a colour for each LED
    }
    return light;
}

std::unique_ptr<LightTarget> targetOf(CMerivexUSBDevice& device, const ScreenPixels& screen) {
    if (auto* mouse = dynamic_cast<CMerivexMouseDevice*>(&device)) return MouseLightTarget(*mouse, screen);
    if (auto* keyboard = dynamic_cast<CMerivexKeyboardDevice*>(&device))
        return KeyboardLightTarget(*keyboard);
    if (auto* lit = dynamic_cast<CMerivexLightRecordDevice*>(&device)) return LightRecordTarget(*lit);
    return nullptr;
}

}  // namespace

/// One attached device as a controller, and who drives its lights.
struct DeviceControllers::Served {
    const DeviceKindInfo* kind = nullptr;
    rgb::DeviceType type = rgb::DeviceType::Mouse;
    CMerivexUSBDevice* device = nullptr;
    cli::FoundDevice found;
    std::unique_ptr<LightTarget> target;
    /// The device's LED colour frame index of each controller LED.
    std::vector<int> frameIndex;
    rgb::RgbController controller;
    uint64_t driver = 0;  ///< the program driving the lights; 0: none
    std::string driverName;
    bool direct = false;
    /// The light the device had before a program changed it without saving, to give back.
    std::optional<LightSetting> own;
    /// What the controller's modes were last described from.
    std::optional<LightSetting> describedLight;
    bool describedDirect = false;
};

DeviceControllers::DeviceControllers(cli::AttachedDevices& devices, ScreenPixels screen)
    : m_devices(devices), m_screen(std::move(screen)) {}

DeviceControllers::~DeviceControllers() = default;

bool DeviceControllers::refresh() {
    std::vector<CMerivexUSBDevice*> before;
    for (const auto& served : m_served) before.push_back(served->device);
    std::vector<std::unique_ptr<Served>> now;
    for (const DeviceKindInfo& kind : deviceKindInfos()) {
        const DeviceKindInfo* choice = &kind;
        cli::FoundDevice found;
        CMerivexUSBDevice* device = m_devices.find(kind, found);
        if (!device) continue;
        const auto same =
            std::ranges::find_if(m_served, [&](const auto& s) { return s && s->device == device; });
        if (same != m_served.end()) {
            // Moved between cable and receiver: a new interface, version and Direct offer.
            if ((*same)->found.command.path != found.command.path) {
                (*same)->found = found;
                describeDevice(**same);
                (*same)->describedLight.reset();  // Direct may be offered or not now
            }
            now.push_back(std::move(*same));
            continue;
        }
        auto served = std::make_unique<Served>();
        served->kind = choice;
        served->type = kRgbTypes[static_cast<size_t>(kind.kindIndex)];
        served->device = device;
        served->found = found;
        served->target = targetOf(*device, m_screen);
        if (!served->target) continue;
        describeDevice(*served);
        now.push_back(std::move(served));
    }
    // A device that went while a program drove it needs nothing given back; the window hears it is gone.
    const bool drivenGone = std::ranges::any_of(m_served, [](const auto& s) { return s && s->driver != 0; });
    m_served = std::move(now);
    std::vector<CMerivexUSBDevice*> after;
    for (const auto& served : m_served) after.push_back(served->device);
    if (drivenGone && driversChanged) driversChanged();
    return before != after;
}

DeviceControllers::Served* DeviceControllers::live(size_t index) const {
    if (index >= m_served.size()) return nullptr;
    Served& served = *m_served[index];
    cli::FoundDevice found;
    return m_devices.find(*served.kind, found) == served.device ? &served : nullptr;
}

std::optional<std::string> DeviceControllers::driverOf(const CMerivexUSBDevice& device) const {
    for (const auto& served : m_served) {
        if (served->device == &device && served->driver != 0) return served->driverName;
    }
    return std::nullopt;
}

void DeviceControllers::forgetDevices() {
    m_served.clear();
}

void DeviceControllers::waitForWrites(std::chrono::milliseconds bound) {
    for (size_t i = 0; i < m_served.size(); ++i) {
        if (Served* served = live(i)) (void)served->device->queue().drain(bound);
    }
}

std::vector<std::string> DeviceControllers::drivers() const {
    std::vector<std::string> names;
    for (const auto& served : m_served) {
        if (served->driver != 0 && std::ranges::find(names, served->driverName) == names.end())
            names.push_back(served->driverName);
    }
    return names;
}

size_t DeviceControllers::controllerCount() const {
    return m_served.size();
}

const rgb::RgbController* DeviceControllers::controller(size_t index) const {
    Served* served = live(index);
    if (!served) return nullptr;
    describeState(*served);
    return &served->controller;
}

bool DeviceControllers::directOffered(const Served& served) {
    switch (served.type) {
        case rgb::DeviceType::Mouse:
        case rgb::DeviceType::Headset:
            return true;
        case rgb::DeviceType::Keyboard:
            // The keyboard takes streamed frames on its cable only.
            return !served.found.viaReceiver;
        case rgb::DeviceType::Mousemat:
            return false;  // the pad has no mode that takes frames from the host
    }
    return false;
}

// What does not change while the device stays on the same interface: its identity and its LEDs (the
// keyboard's keys as they sit on the board, the others' LEDs in a row).
void DeviceControllers::describeDevice(Served& served) const {
    rgb::RgbController& c = served.controller;
    c.type = served.type;
    c.name = cli::kindDisplayName(served.kind->name, m_texts);
    c.vendor = "Halvern";
    c.version = served.found.viaReceiver
                    ? std::string()
                    : cli::firmwareVersionText(served.found.command.attributes.versionNumber);
    c.description = c.name + ", " + served.found.describe();
    c.serial.clear();
    c.location = "HID: " + served.found.command.path;

    const int frameLeds = served.device->ledCount();
    c.zones.clear();
    c.leds.clear();
    served.frameIndex.clear();
    if (served.type == rgb::DeviceType::Keyboard) {
        const std::vector<cli::NamedChoice> functions = cli::functionChoices(m_texts);
        const std::vector<cli::NamedChoice> keys =
            cli::itemChoices(CMerivexKeyboardDevice::kKeyCodes, functions, m_texts);
        rgb::MatrixMap matrix{keyboard::kRows, keyboard::kColumns, {}};
        matrix.map.assign(keyboard::kRows * keyboard::kColumns, rgb::kNoLed);
        for (size_t row = 0; row < keyboard::kRows; ++row) {
            for (size_t column = 0; column < keyboard::kColumns; ++column) {
                const uint8_t key = keyboard::kColumnMatrix[column][row];
                if (key == keyboard::kNoKey || key >= frameLeds) continue;
                matrix.map[row * keyboard::kColumns + column] = static_cast<uint32_t>(c.leds.size());
                std::string keyName = cli::itemName(key, keys);
                c.leds.push_back({keyName.empty() ? "Key " + std::to_string(key + 1) : keyName, key});
                served.frameIndex.push_back(key);
            }
        }
        c.zones.push_back(
            {"Keyboard", rgb::ZoneType::Matrix, 0, static_cast<uint32_t>(c.leds.size()), matrix});
    } else {
        for (int led = 0; led < frameLeds; ++led) {
            c.leds.push_back({"LED " + std::to_string(led + 1), static_cast<uint32_t>(led)});
            served.frameIndex.push_back(led);
        }
        c.zones.push_back({c.name, frameLeds == 1 ? rgb::ZoneType::Single : rgb::ZoneType::Linear, 0,
                           static_cast<uint32_t>(frameLeds), std::nullopt});
    }
}

void DeviceControllers::describeModes(Served& served, const LightSetting& light,
                                      const LightModeLists& lists) const {
    rgb::RgbController& c = served.controller;
    c.modes.clear();
    if (directOffered(served)) c.modes.push_back(directMode());
    c.activeMode = 0;
    for (size_t m = 0; m < lists.names.size(); ++m) {
        if (m < lists.visible.size() && !lists.visible[m]) continue;
        if (light.mode == m && !served.direct) c.activeMode = static_cast<int32_t>(c.modes.size());
        c.modes.push_back(describeMode(*served.target, m, light, m_texts, served.kind->cableType));
    }
}

// What the device holds now: its modes with their settings, the active one, and the LEDs' colours.
void DeviceControllers::describeState(Served& served) const {
    rgb::RgbController& c = served.controller;
    const LightTarget& target = *served.target;
    const LightSetting light = target.light();
    const LightModeLists& lists = target.lightModes();
    // The modes change with the light only; a Direct stream asks for the colours many times a second.
    const bool sameModes =
        served.describedLight == light && served.describedDirect == served.direct && !c.modes.empty();
    served.describedLight = light;
    served.describedDirect = served.direct;
    if (!sameModes) describeModes(served, light, lists);
    served.device->copyFrame(m_frame);

    c.colors.resize(c.leds.size());
    for (size_t i = 0; i < c.leds.size(); ++i) {
        const auto at = static_cast<size_t>(served.frameIndex[i]);
        const uint32_t v = at < m_frame.size() ? m_frame[at] : 0;
        c.colors[i] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16)};
    }
}

void DeviceControllers::takeDriver(Served& served, const rgb::RgbClient& client) {
    if (served.driver == client.id && served.driverName == client.name) return;
    served.driver = client.id;
    served.driverName = client.name;
    if (driversChanged) driversChanged();
}

bool DeviceControllers::enterDirect(Served& served, const rgb::RgbClient& client) {
    if (served.direct) {
        takeDriver(served, client);
        return true;
    }
    if (!directOffered(served)) return false;
    const LightSetting light = served.target->light();
    std::optional<uint8_t> streaming;  // the mode in which the device takes frames from the host
    if (served.type == rgb::DeviceType::Mouse) streaming = CMerivexUSBDevice::kSoftwareLightMode;
    if (served.type == rgb::DeviceType::Keyboard) streaming = CMerivexKeyboardDevice::kExternalColourMode;
    if (!served.own) served.own = light;
    served.direct = true;
    served.device->SetExternalFrame(true);
    if (streaming && light.mode != *streaming) {
        LightSetting next = light;
        next.mode = *streaming;
        CMerivexUSBDevice* device = served.device;
        served.target->showLight(next, [device](DeviceResult result) {
            if (!result)
                debugLog("RGB server: the device did not take its streaming mode: " +
                         halvern::describe(result));
            device->ShowSettings();
        });
    }
    takeDriver(served, client);
    return true;
}

void DeviceControllers::giveBack(Served& served) {
    if (served.direct) served.device->SetExternalFrame(false);
    served.direct = false;
    if (served.own) {
        CMerivexUSBDevice* device = served.device;
        served.target->changeLight(*served.own, [device](DeviceResult result) {
            if (!result)
                debugLog("RGB server: the device did not take its own light back: " +
                         halvern::describe(result));
            device->ShowSettings();
        });
        served.own.reset();
    }
    served.driver = 0;
    served.driverName.clear();
    if (driversChanged) driversChanged();
}

void DeviceControllers::setLeds(size_t index, std::span<const rgb::RgbColor> colors,
                                const rgb::RgbClient& client) {
    Served* served = live(index);
    if (!served || colors.size() != served->frameIndex.size()) return;
    if (!enterDirect(*served, client)) return;  // refused: the device cannot show host-painted frames
    m_packed.resize(colors.size());
    std::ranges::transform(colors, m_packed.begin(), packed);
    served->device->SetLedColours(served->frameIndex, m_packed);
}

void DeviceControllers::setCustomMode(size_t index, const rgb::RgbClient& client) {
    if (Served* served = live(index)) (void)enterDirect(*served, client);
}

void DeviceControllers::updateMode(size_t index, size_t modeIndex, const rgb::RgbMode& mode, bool save,
                                   const rgb::RgbClient& client) {
    Served* served = live(index);
    if (!served) return;
    describeState(*served);
    if (modeIndex >= served->controller.modes.size()) return;
    const rgb::RgbMode& offered = served->controller.modes[modeIndex];
    if (offered.value == kDirectMode) {
        (void)enterDirect(*served, client);
        return;
    }
    const auto light = lightFromMode(offered, mode, served->target->light());
    if (!light) {
        debugLog("RGB server: \"" + client.name + "\" asked " + offered.name +
                 " for settings it does not take");
        return;
    }
    if (served->direct) served->device->SetExternalFrame(false);
    served->direct = false;
    CMerivexUSBDevice* device = served->device;
    auto shown = [device](DeviceResult result) {
        if (!result) debugLog("RGB server: the device did not take the light: " + halvern::describe(result));
        device->ShowSettings();
    };
    if (save) {
        // Kept as the Lighting tab keeps it: the device's own light from now on.
        served->own.reset();
        served->target->changeLight(*light, shown);
        served->driver = 0;
        served->driverName.clear();
        if (driversChanged) driversChanged();
        return;
    }
    if (!served->own) served->own = served->target->light();
    served->target->showLight(*light, shown);
    takeDriver(*served, client);
}

std::vector<std::string> DeviceControllers::profileNames() const {
    // Profiles belong to each device, not to the set of them; none is offered to switch all at once.
    return {};
}

void DeviceControllers::loadProfile(std::string_view, const rgb::RgbClient&) {}

void DeviceControllers::clientLeft(const rgb::RgbClient& client) {
    for (size_t i = 0; i < m_served.size(); ++i) {
        if (m_served[i]->driver != client.id) continue;
        if (Served* served = live(i)) giveBack(*served);
    }
}

}  // namespace halvern::app
