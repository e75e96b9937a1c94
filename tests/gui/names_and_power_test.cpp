#include <gtest/gtest.h>

#include <QLabel>
#include <array>

#include "gui_support.h"
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

}  // namespace
}  // namespace halvern::ui::test
