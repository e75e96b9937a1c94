#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QStackedWidget>
#include <array>

#include "device/supported_devices.h"
#include "gui_support.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui::test {
namespace {

/// Both shipped languages, loaded.
struct Languages {
    LanguageTexts english;
    LanguageTexts chinese;
    Languages() {
        EXPECT_TRUE(english.load(languageFile(QStringLiteral("en.json"))));
        EXPECT_TRUE(chinese.load(languageFile(QStringLiteral("zh_CN.json"))));
    }
};

/// The program's style sheet on the application for the test's lifetime.
struct ShippedStyle {
    ShippedStyle() {
        QFile sheet(QDir(skinFolder()).filePath(QStringLiteral("halvern.qss")));
        EXPECT_TRUE(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }
    ~ShippedStyle() { qApp->setStyleSheet(QString()); }
    ShippedStyle(const ShippedStyle&) = delete;
    ShippedStyle& operator=(const ShippedStyle&) = delete;
};

// The power widget's phone tooltip follows the phone the mouse pad reports, in the language applied last.
TEST(PowerWidget, PhoneTooltipFollowsTheReportInTheCurrentLanguage) {
    const Languages languages;
    const LayoutLoader loader = makeLoader();
    DevicePower power(loader);
    power.SetType(3, 0);
    auto* phone = power.findChild<QLabel*>(QStringLiteral("device_phone_type"));
    ASSERT_NE(phone, nullptr);
    languages.english.apply(&power);
    EXPECT_EQ(phone->toolTip(), QStringLiteral("No phone on the charger"));

    std::array<uint8_t, 6> status{60, 1, 0, 0, 0, 1};  // charging an iPhone
    power.ShowStatus(status);
    EXPECT_EQ(phone->toolTip(), languages.english.text(QStringLiteral("Phone_type_iphone")));
    languages.chinese.apply(&power);
    EXPECT_EQ(phone->toolTip(), languages.chinese.text(QStringLiteral("Phone_type_iphone")));
    status[5] = 200;  // out of range: no phone
    power.ShowStatus(status);
    EXPECT_EQ(phone->toolTip(), languages.chinese.text(QStringLiteral("Phone_type_no_device")));
    EXPECT_FALSE(phone->toolTip().startsWith(QStringLiteral("Phone_type")));
}

// A device that is gone shows no battery: the "No device" screen shows the first power widget of the stack,
// which belongs to a device that may have reported before it left.
TEST(PowerWidget, HiddenEntryShowsNoBattery) {
    const LayoutLoader loader = makeLoader();
    QWidget window;
    auto* powers = new QStackedWidget(&window);
    powers->setObjectName(QStringLiteral("device_power_switch"));
    auto* power = new DevicePower(loader);
    power->SetType(2, 0);
    powers->addWidget(power);
    auto* entry = new DeviceOption(loader, &window);
    entry->SetPowerSwitch(QStringLiteral("device_power_switch"), powers->indexOf(power));
    window.show();

    const std::array<uint8_t, 6> status{85, 0, 0, 1, 0, 0};
    entry->SetEntryVisible(true);
    power->ShowStatus(status);
    auto* value = power->findChild<QLabel*>(QStringLiteral("device_power_value"));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->isVisibleTo(&window));

    entry->SetEntryVisible(false);  // unplugged
    powers->setCurrentIndex(0);     // the no-device screen
    EXPECT_FALSE(value->isVisibleTo(&window));
    EXPECT_FALSE(power->findChild<QLabel*>(QStringLiteral("device_power_status"))->isVisibleTo(&window));
    entry->SetEntryVisible(true);  // back
    EXPECT_TRUE(value->isVisibleTo(&window));
}

// List entries show a translated, capitalised name per kind, never the folder names "HD" or "MousePad".
TEST(DeviceNames, EveryKindHasAReadableTranslatedName) {
    const Languages languages;
    const struct {
        std::string_view kind;
        const char* english;
    } expected[] = {
        {"mouse", "Mouse"}, {"keyboard", "Keyboard"}, {"MousePad", "Mouse pad"}, {"HD", "Headset"}};
    for (const auto& e : expected) {
        EXPECT_EQ(languages.english.text(KindDisplayTextId(e.kind)).toStdString(), e.english) << e.kind;
    }
    for (const DeviceKindRow& kind : kDeviceKindTable) {
        const QString id = KindDisplayTextId(kind.kindName);
        for (const LanguageTexts* texts : {&languages.english, &languages.chinese}) {
            ASSERT_TRUE(texts->contains(id)) << kind.kindName;
            const QString name = texts->text(id);
            EXPECT_NE(name, QString::fromUtf8(kind.kindName.data(), qsizetype(kind.kindName.size())));
            EXPECT_FALSE(name.front().isLower()) << kind.kindName << " is not capitalised";
        }
    }
    EXPECT_EQ(languages.english.text(KindDisplayTextId("something new")), QStringLiteral("Device"));

    const LayoutLoader loader = makeLoader();
    DeviceOption entry(loader);
    entry.SetNameTextId(KindDisplayTextId("HD"), &languages.english);
    auto* name = entry.findChild<QLabel*>(QStringLiteral("device_select_name"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Headset"));
    languages.chinese.apply(&entry);
    EXPECT_EQ(name->text(), languages.chinese.text(QStringLiteral("device_kind_headset_text")));
}

// Every legend of the keyboard picture, "Super", "PrtSc", "PgUp" and the numpad's Enter among them, fits
// the lit face of its key at the picture's default size (on two lines where that keeps it larger), at
// most two pixels smaller than the style's size.
TEST(KeyboardLegends, EveryLegendFitsItsKey) {
    const ShippedStyle style;
    auto page = loadLayout(QStringLiteral("keyboard_device.ui"));
    ASSERT_NE(page, nullptr);
    auto* panel = page->findChild<SelectPanel*>(QStringLiteral("keyboard_device_key_light"));
    ASSERT_NE(panel, nullptr);
    page->ensurePolished();
    int supers = 0;
    for (DeviceKeyButton* key : spotsOf(*panel)) {
        if (key->text().isEmpty() || key->isHidden()) continue;
        key->ensurePolished();
        const int room = key->width() - 2 * DeviceKeyButton::kLegendMargin;
        const DeviceKeyButton::Legend legend = key->legend();
        const QStringList lines = legend.text.split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            EXPECT_LE(QFontMetrics(legend.font).horizontalAdvance(line), room)
                << key->objectName().toStdString() << " \"" << line.toStdString() << "\"";
        }
        EXPECT_LE(lines.size() * QFontMetrics(legend.font).height(), key->height())
            << key->text().toStdString();
        EXPECT_GE(legend.font.pixelSize(), key->font().pixelSize() - 2) << key->text().toStdString();
        supers += key->text() == QLatin1String("Super");
    }
    EXPECT_EQ(supers, 2) << "the Linux name of the logo keys";
}

}  // namespace
}  // namespace halvern::ui::test
