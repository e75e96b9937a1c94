// The device page's own work, on layouts written for the test: binding the picture's key and light buttons
// (or finding none), selecting the function switches' pages per function mode and device kind, and taking
// only the notifications of its own controls.

#include "ui/pages/device_page.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <memory>

#include "emulator/emulator.h"
#include "gui_support.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::ui::test {
namespace {

constexpr int kKeys = 4;
constexpr int kLeds = 3;

/// A DeviceKeyButton of a layout, with user data when given.
QString spot(const QString& name, const QString& userData = {}) {
    QString xml = QStringLiteral("<widget class=\"DeviceKeyButton\" name=\"%1\">").arg(name);
    if (!userData.isEmpty()) {
        xml += QStringLiteral("<property name=\"userData\" stdset=\"0\"><string>%1</string></property>")
                   .arg(userData);
    }
    return xml + QStringLiteral("</widget>");
}

/// A stack of `pages` empty pages.
QString stack(const QString& name, int pages) {
    QString xml = QStringLiteral("<widget class=\"QStackedWidget\" name=\"%1\">").arg(name);
    for (int i = 0; i < pages; ++i)
        xml += QStringLiteral("<widget class=\"QWidget\" name=\"%1_page_%2\"/>").arg(name).arg(i);
    return xml + QStringLiteral("</widget>");
}

class DevicePageTest : public ::testing::Test {
protected:
    /// Writes a layout whose root holds `body` and makes a page over a device with kKeys keys, kLeds LEDs
    /// and `typeCode`, its controls bound.
    std::unique_ptr<DevicePage> makePage(const QString& body, uint16_t typeCode = type_code::kKeyboard) {
        const QString path = folder.filePath(QStringLiteral("page_%1.ui").arg(++m_layouts));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>Page</class>"
                           "<widget class=\"QWidget\" name=\"page_root\">%1</widget></ui>")
                .arg(body)
                .toUtf8());
        file.close();
        auto device = std::make_unique<CMerivexUSBDevice>(emulator);
        device->SetPageLayout(path.toStdString());
        device->SetKeyCount(kKeys);
        device->SetLedCount(kLeds);
        InterfaceRow identity;
        identity.typeCode = typeCode;
        device->SetIdentity(identity);
        auto page = std::make_unique<DevicePage>(*device, loader);
        page->BindPageControls();
        m_devices.push_back(std::move(device));
        return page;
    }

    QTemporaryDir folder;
    LayoutLoader loader = makeLoader();
    emu::Emulator emulator;

private:
    int m_layouts = 0;
    std::vector<std::unique_ptr<CMerivexUSBDevice>> m_devices;
};

TEST_F(DevicePageTest, KeysBindByNameAndLightsByUserDataWithinTheDevicesCounts) {
    const auto page = makePage(
        QStringLiteral("<widget class=\"SelectPanel\" name=\"picture\">") + spot("key_0", "light_2") +
        spot("KEY_1") + spot("key_3") + spot("key_4") + spot("key_200") + spot("key_") +
        spot("keyx", "light_") + spot("spot_9", "light_0") + spot("spot_10", "Light_1") +
        spot("spot_11", "light_3") +
        QStringLiteral("<widget class=\"QPushButton\" name=\"key_2\"/></widget>") + spot("key_2", "light_1"));
    ASSERT_TRUE(page->selectionPanel());
    const auto named = [&](QObject* o) { return o ? o->objectName() : QStringLiteral("(none)"); };

    // Key n is the panel's button "key_n" (any letter case) for n below the key count; nothing else.
    EXPECT_EQ(named(page->keyButton(0)), "key_0");
    EXPECT_EQ(named(page->keyButton(1)), "KEY_1");
    EXPECT_EQ(named(page->keyButton(2)), "(none)") << "a plain button, and a key button outside the panel";
    EXPECT_EQ(named(page->keyButton(3)), "key_3");
    EXPECT_EQ(named(page->keyButton(kKeys)), "(none)");
    EXPECT_EQ(named(page->keyButton(-1)), "(none)");

    // LED m is the button whose user data is "light_m" (exactly), for m below the LED count; one button can
    // be a key and a light. Lights start lit white.
    EXPECT_EQ(named(page->lightButton(0)), "spot_9");
    EXPECT_EQ(named(page->lightButton(1)), "(none)");
    EXPECT_EQ(named(page->lightButton(2)), "key_0");
    EXPECT_EQ(named(page->lightButton(kLeds)), "(none)");
    for (const int led : {0, 2}) {
        EXPECT_TRUE(page->lightButton(led)->isLit());
        EXPECT_EQ(page->lightButton(led)->lightColour(), 0xFFFFFFu);
        EXPECT_EQ(page->lightButton(led)->lightAlpha(), 255);
    }
    EXPECT_FALSE(page->keyButton(3)->isLit()) << "a key that is no light keeps its look";
}

TEST_F(DevicePageTest, APageWithoutPictureOrLayoutBindsNothingAndShowsFramesSafely) {
    const auto noPanel =
        makePage(QStringLiteral("<widget class=\"QLabel\" name=\"key_0\"/>") + spot("key_1", "light_1"));
    const auto emptyLayout = makePage({});
    CMerivexUSBDevice bare(emulator);  // no layout file at all
    DevicePage empty(bare, loader);
    empty.BindPageControls();
    CMerivexUSBDevice missing(emulator);  // a layout file that is not there
    missing.SetPageLayout(folder.filePath(QStringLiteral("missing.ui")).toStdString());
    missing.SetKeyCount(kKeys);
    DevicePage gone(missing, loader);
    gone.BindPageControls();

    for (DevicePage* page : {noPanel.get(), emptyLayout.get(), &empty, &gone}) {
        EXPECT_FALSE(page->selectionPanel());
        for (int i = -1; i <= kKeys; ++i) {
            EXPECT_FALSE(page->keyButton(i));
            EXPECT_FALSE(page->lightButton(i));
        }
        page->device().SetLightControl(true);
        page->device().SetLedColour(1, 0x112233);
        (void)page->showFrame(true);  // every light entry is empty: nothing to show, nothing to crash on
        page->SetFunctionMode(2);
        page->ShowFunctionTab(1);
        EXPECT_EQ(page->device().GetFunctionMode(), 2);
    }
}

// The pages of the function switch and of the key function switch for each function mode, by device kind;
// -1 where the key function switch stays as it was.
struct ModePages {
    int mode;
    int keyboardOrMouse[2];
    int others[2];
};
constexpr ModePages kModePages[] = {
    {0, {0, 0}, {0, 0}},   {1, {0, 0}, {0, 0}},   {2, {0, 1}, {0, 1}},  {3, {1, -1}, {1, -1}},
    {4, {3, -1}, {0, 2}},  {5, {2, -1}, {2, -1}}, {6, {0, 1}, {0, 1}},  {7, {0, 2}, {0, 2}},
    {8, {1, -1}, {1, -1}}, {9, {0, 0}, {0, 0}},   {-1, {0, 0}, {0, 0}},
};

TEST_F(DevicePageTest, FunctionModesSelectTheSwitchPagesOfTheDevicesKind) {
    // One page more than any mode selects on each switch, so that "left as it was" shows.
    constexpr int kUntouchedFunction = 4;
    constexpr int kUntouchedKeys = 3;
    const QString body = stack("device_function_switch", 5) + stack("device_key_function_switch", 4) +
                         QStringLiteral("<widget class=\"QLabel\" name=\"device_tishi_info\"/>");
    for (const uint16_t typeCode :
         {type_code::kKeyboard, type_code::kMouse, type_code::kMousePad, type_code::kHeadset}) {
        const auto page = makePage(body, typeCode);
        auto* functions = findControl<QStackedWidget>(page.get(), QStringLiteral("device_function_switch"));
        auto* keys = findControl<QStackedWidget>(page.get(), QStringLiteral("device_key_function_switch"));
        ASSERT_TRUE(functions && keys);
        const bool keyed = typeCode == type_code::kKeyboard || typeCode == type_code::kMouse;
        for (const ModePages& m : kModePages) {
            functions->setCurrentIndex(kUntouchedFunction);
            keys->setCurrentIndex(kUntouchedKeys);
            page->SetFunctionMode(m.mode);
            const int* expected = keyed ? m.keyboardOrMouse : m.others;
            EXPECT_EQ(functions->currentIndex(), expected[0]) << "type " << typeCode << ", mode " << m.mode;
            EXPECT_EQ(keys->currentIndex(), expected[1] < 0 ? kUntouchedKeys : expected[1])
                << "type " << typeCode << ", mode " << m.mode;
            EXPECT_EQ(page->device().GetFunctionMode(), m.mode);
        }

        // A tab of the function switch by number; the key page's hint goes. A tab it lacks changes nothing.
        page->show();
        page->ShowFunctionTab(2);
        EXPECT_EQ(functions->currentIndex(), 2);
        EXPECT_FALSE(findControl(page.get(), QStringLiteral("device_tishi_info"))->isVisible());
        page->ShowFunctionTab(9);
        EXPECT_EQ(functions->currentIndex(), 2);
    }

    // The layouts of the mouse, mouse pad and headset have no key function switch: the mode is kept, and
    // the function switch is left alone.
    const auto single = makePage(stack("device_function_switch", 5), type_code::kMousePad);
    auto* functions = findControl<QStackedWidget>(single.get(), QStringLiteral("device_function_switch"));
    functions->setCurrentIndex(kUntouchedFunction);
    single->SetFunctionMode(4);
    EXPECT_EQ(functions->currentIndex(), kUntouchedFunction);
    EXPECT_EQ(single->device().GetFunctionMode(), 4);
}

TEST_F(DevicePageTest, OnlyNotificationsOfItsOwnControlsReachAPage) {
    // Two pages built from one layout have controls of the same names; so may the window.
    const QString body = QStringLiteral(
                             "<widget class=\"QWidget\" name=\"group\">"
                             "<widget class=\"QPushButton\" name=\"light_apply\"/></widget>") +
                         QStringLiteral("<widget class=\"SelectPanel\" name=\"picture\">") + spot("key_0") +
                         QStringLiteral("</widget>");
    const auto first = makePage(body);
    const auto second = makePage(body);
    QWidget window;
    auto* windowButton = new QLabel(&window);  // owned by the window
    windowButton->setObjectName(QStringLiteral("light_apply"));

    const auto from = [](QWidget* control) {
        return Notification{QStringLiteral("click"), control ? control->objectName() : QString(), control, 0,
                            0};
    };
    auto* own = findControl(first.get(), QStringLiteral("light_apply"));
    auto* other = findControl(second.get(), QStringLiteral("light_apply"));
    ASSERT_TRUE(own && other && own != other);
    EXPECT_TRUE(first->ownsSender(from(own)));
    EXPECT_TRUE(first->ownsSender(from(first->keyButton(0))));
    EXPECT_TRUE(first->ownsSender(from(own->parentWidget())));
    EXPECT_FALSE(first->ownsSender(from(other)));
    EXPECT_FALSE(first->ownsSender(from(windowButton)));
    EXPECT_FALSE(first->ownsSender(from(&window)));
    EXPECT_FALSE(first->ownsSender(from(nullptr)));
    EXPECT_TRUE(second->ownsSender(from(other)));

    // A control that is gone by the time its notification is handled belongs to nobody.
    Notification late = from(own);
    delete own;
    EXPECT_FALSE(first->ownsSender(late));

    // A page without a layout owns no control at all.
    CMerivexUSBDevice bare(emulator);
    DevicePage empty(bare, loader);
    EXPECT_FALSE(empty.ownsSender(from(&empty)));
    EXPECT_FALSE(empty.ownsSender(from(other)));
}

}  // namespace
}  // namespace halvern::ui::test
