// The attached devices as RGB programs drive them: Direct colours reach the devices' streamed frames, a
// mode only shown leaves the profile file alone while a saved one is kept, what a device cannot do is
// refused, and a program that leaves gives every device its own light back.

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "app/rgb/device_controllers.h"
#include "app/rgb/rgb_service.h"
#include "app/service/device_service.h"
#include "devices/keyboard_device.h"
#include "devices/light_record_device.h"
#include "devices/mouse_device.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

constexpr size_t kMouse = 0;
constexpr size_t kKeyboard = 1;
constexpr size_t kPad = 2;

/// The text of every profile file under `folder`, to see whether any was written.
std::string profileFiles(const std::filesystem::path& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".Json") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        all += entry.path().string() + "\n" + text.str();
    }
    return all;
}

bool contains(const std::vector<uint8_t>& frame, std::initializer_list<uint8_t> rgb) {
    return std::search(frame.begin(), frame.end(), rgb.begin(), rgb.end()) != frame.end();
}

class RgbDevicesTest : public ::testing::Test {
protected:
    RgbDevicesTest() {
        mouse = emulator.attach(Product::Mouse, Attachment::Cable);
        keyboard = emulator.attach(Product::Keyboard, Attachment::Cable);
        pad = emulator.attach(Product::MousePad, Attachment::Cable);
        window.start();
        ready = waitUntil(
            [&] {
                (void)controllers.refresh();
                return controllers.controllerCount() == 3;
            },
            15000);
    }
    ~RgbDevicesTest() override { window.shutdown(); }

    CMerivexUSBDevice& device(int kind) { return *window.deviceList().pageForKind(kind)->device(); }
    const LightSetting& lightOf(size_t index) {
        CMerivexUSBDevice& d = device(static_cast<int>(index));
        if (auto* m = dynamic_cast<CMerivexMouseDevice*>(&d)) return m->settings().light;
        if (auto* k = dynamic_cast<CMerivexKeyboardDevice*>(&d)) return k->settings().light;
        return dynamic_cast<CMerivexLightRecordDevice&>(d).settings().light;
    }
    /// The index of the mode named `name` among controller `index`'s modes.
    size_t modeNamed(size_t index, std::string_view name) {
        const auto& modes = controllers.controller(index)->modes;
        for (size_t m = 0; m < modes.size(); ++m) {
            if (modes[m].name == name) return m;
        }
        ADD_FAILURE() << "no mode " << name;
        return 0;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    emu::Emulator emulator{{.transport = emu::Transport::SocketPair}};
    std::shared_ptr<emu::VirtualDevice> mouse;
    std::shared_ptr<emu::VirtualDevice> keyboard;
    std::shared_ptr<emu::VirtualDevice> pad;
    struct Loader : ui::LayoutLoader {
        Loader() { ui::registerCustomControls(*this); }
    } loader;
    ui::LanguageTexts texts;
    MainWindow window{emulator, loader, texts};
    DeviceService service{window.deviceList().manager(), emulator};
    DeviceControllers controllers{service, [] { return std::pair{1920, 1080}; }};
    rgb::RgbClient effects{1, "Effects"};
    bool ready = false;
};

TEST_F(RgbDevicesTest, DirectColoursReachTheFramesUntilTheProgramLeaves) {
    ASSERT_TRUE(ready);
    const rgb::RgbController& board = *controllers.controller(kKeyboard);
    EXPECT_EQ(board.type, rgb::DeviceType::Keyboard);
    ASSERT_EQ(board.modes.front().name, "Direct");
    ASSERT_EQ(board.zones.size(), 1u);
    EXPECT_EQ(board.zones[0].type, rgb::ZoneType::Matrix);
    EXPECT_EQ(board.leds.front().name, "Esc");
    EXPECT_TRUE(controllers.controller(kPad)->modes.front().name != "Direct") << "the pad takes no frames";
    const LightSetting boardOwn = lightOf(kKeyboard);
    const LightSetting mouseOwn = lightOf(kMouse);
    const std::string files = profileFiles(folder.path() / "data");

    // Half brightness shows as 127 after the frame's level (255 / 256).
    const std::vector<rgb::RgbColor> boardColours(board.leds.size(), rgb::RgbColor{0x80, 0x40, 0x20});
    controllers.setLeds(kKeyboard, boardColours, effects);
    EXPECT_TRUE(waitUntil(
        [&] {
            return contains(keyboard->firmware().lastFrame(), {0x7f, 0x3f, 0x1f});
        },
        5000));
    EXPECT_EQ(lightOf(kKeyboard).mode, CMerivexKeyboardDevice::kExternalColourMode);
    const std::vector<rgb::RgbColor> mouseColours(controllers.controller(kMouse)->leds.size(),
                                                  {0x20, 0x40, 0x80});
    controllers.setLeds(kMouse, mouseColours, effects);
    EXPECT_TRUE(waitUntil([&] { return contains(mouse->firmware().lastFrame(), {0x1f, 0x3f, 0x7f}); }, 5000));
    EXPECT_EQ(controllers.driverOf(device(1)), "Effects");
    EXPECT_EQ(controllers.controller(kKeyboard)->activeMode, 0) << "Direct is the active mode";

    // A colour list of the wrong length, and Direct on the pad, are refused.
    controllers.setLeds(kKeyboard, std::vector<rgb::RgbColor>(3), effects);
    controllers.setLeds(kPad, std::vector<rgb::RgbColor>(controllers.controller(kPad)->leds.size()), effects);
    EXPECT_FALSE(controllers.driverOf(device(2)));

    controllers.clientLeft(effects);
    EXPECT_TRUE(
        waitUntil([&] { return lightOf(kKeyboard) == boardOwn && lightOf(kMouse) == mouseOwn; }, 5000));
    EXPECT_FALSE(device(1).externalFrame());
    EXPECT_FALSE(controllers.driverOf(device(1)));
    EXPECT_EQ(profileFiles(folder.path() / "data"), files) << "Direct never reaches the profile";
}

TEST_F(RgbDevicesTest, AShownModeLeavesTheProfileFileWhileASavedOneIsKept) {
    ASSERT_TRUE(ready);
    const LightSetting own = lightOf(kPad);
    const std::string files = profileFiles(folder.path() / "data");
    const size_t staticMode = modeNamed(kPad, "Static");
    rgb::RgbMode asked = controllers.controller(kPad)->modes[staticMode];
    asked.colorMode = rgb::ColorMode::ModeSpecific;
    asked.colors = {{0x11, 0x22, 0x33}};
    controllers.updateMode(kPad, staticMode, asked, false, effects);
    EXPECT_TRUE(waitUntil([&] { return lightOf(kPad).red == 0x11 && lightOf(kPad).blue == 0x33; }, 5000));
    EXPECT_EQ(controllers.controller(kPad)->activeMode, static_cast<int32_t>(staticMode));
    EXPECT_EQ(profileFiles(folder.path() / "data"), files);

    // Settings the mode does not take change nothing.
    rgb::RgbMode wrong = asked;
    wrong.colorMode = rgb::ColorMode::PerLed;
    controllers.updateMode(kPad, staticMode, wrong, false, effects);
    wrong = controllers.controller(kPad)->modes[modeNamed(kPad, "Breathing")];
    wrong.speed = 9;
    controllers.updateMode(kPad, modeNamed(kPad, "Breathing"), wrong, false, effects);
    EXPECT_EQ(lightOf(kPad).red, 0x11);
    EXPECT_EQ(lightOf(kPad).mode,
              static_cast<uint8_t>(controllers.controller(kPad)->modes[staticMode].value));

    controllers.clientLeft(effects);
    EXPECT_TRUE(waitUntil([&] { return lightOf(kPad) == own; }, 5000)) << "the shown mode is given back";

    controllers.updateMode(kPad, staticMode, asked, true, effects);
    EXPECT_TRUE(waitUntil([&] { return profileFiles(folder.path() / "data") != files; }, 5000));
    controllers.clientLeft(effects);
    EXPECT_EQ(lightOf(kPad).red, 0x11) << "a saved mode is the device's own";
}

TEST_F(RgbDevicesTest, AnUnpluggedDeviceIsNeverTouchedAndTheListChanges) {
    ASSERT_TRUE(ready);
    const std::vector<rgb::RgbColor> colours(controllers.controller(kMouse)->leds.size());
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    EXPECT_TRUE(waitUntil([&] { return controllers.controller(kMouse) == nullptr; }, 5000));
    controllers.setLeds(kMouse, colours, effects);  // the stale index finds no device
    controllers.clientLeft(effects);
    EXPECT_TRUE(waitUntil([&] { return controllers.refresh() && controllers.controllerCount() == 2; }, 5000));
}

// The application's end with a program still connected: the program is let go and the devices take their
// own light back while they can, and nothing touches them once the window has closed them.
TEST_F(RgbDevicesTest, AtTheEndTheDevicesGetTheirLightBackBeforeTheyClose) {
    ASSERT_TRUE(ready);
    RgbService rgb(service, [] { return std::pair{1920, 1080}; });
    RgbServerSettings settings;
    settings.enabled = true;
    settings.port = 0;
    QString problem;
    ASSERT_TRUE(rgb.apply(settings, problem)) << problem.toStdString();
    const LightSetting own = lightOf(kMouse);
    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost, rgb.port());
    ASSERT_TRUE(waitUntil([&] { return program.state() == QAbstractSocket::ConnectedState; }));
    QByteArray payload(4, '\0');
    const auto leds = static_cast<uint16_t>(controllers.controller(kMouse)->leds.size());
    payload.append(static_cast<char>(leds & 0xFF)).append(static_cast<char>(leds >> 8));
    payload.append(QByteArray(qsizetype{4} * leds, '\x40'));
    QByteArray packet("ORGB");
    for (const uint32_t v : {static_cast<uint32_t>(kMouse), 1050u, static_cast<uint32_t>(payload.size())})
        packet.append(reinterpret_cast<const char*>(&v), 4);
    program.write(packet + payload);
    ASSERT_TRUE(waitUntil([&] { return device(0).externalFrame(); }, 5000));
    EXPECT_EQ(rgb.drivers(), QStringList{QString()});

    rgb.stop();
    EXPECT_FALSE(device(0).externalFrame());
    EXPECT_EQ(lightOf(kMouse), own);
    window.shutdown();  // the devices close; the service goes after them without touching them
}

}  // namespace
}  // namespace halvern::app
