#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QSvgRenderer>
#include <QToolButton>
#include <array>

#include "gui_support.h"
#include "input/key_tables.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/controls/image_cache.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui::test {
namespace {

struct Required {
    const char* layout;
    std::vector<std::pair<const char*, const char*>> controls;  // object name, class it must be
};

const std::vector<Required>& requiredControls() {
    static const std::vector<Required> table{
        {"main_window.ui",
         {{"root", "QWidget"},
          {"logo_btn", "QAbstractButton"},
          {"control_light_status", "QAbstractButton"},
          {"skinbtn", "QAbstractButton"},
          {"setbtn", "QAbstractButton"},
          {"minbtn", "QAbstractButton"},
          {"maxbtn", "QAbstractButton"},
          {"restorebtn", "QAbstractButton"},
          {"closebtn", "QAbstractButton"},
          {"device_select_prev", "QAbstractButton"},
          {"device_select_layout", "QWidget"},
          {"device_select_next", "QAbstractButton"},
          {"device_power_switch", "QStackedWidget"},
          {"device_switch", "QStackedWidget"},
          {"No_device_Link", "QWidget"},
          {"nodevice_ok_btn", "QAbstractButton"}}},
        {"device_option.ui",
         {{"device_select", "QToolButton"},
          {"synchro_device_select", "QAbstractButton"},
          {"device_select_name", "QLabel"}}},
        {"device_power.ui",
         {{"device_power_Layout", "QWidget"},
          {"device_power_value", "QLabel"},
          {"device_wuxian_logo", "QLabel"},
          {"device_Power_progress", "QProgressBar"},
          {"device_power_status", "QLabel"},
          {"device_phone_type", "QLabel"}}},
        {"mouse_device.ui",
         {{"mouse_device_seting_layout", "QWidget"},
          {"device_setkeyinfo_list", "QWidget"},
          {"device_tishi_info", "QLabel"},
          {"DPI_layout_5", "QWidget"},
          {"DPI_enable_check_5", "QAbstractButton"},
          {"DPI_select_check_5", "QAbstractButton"},
          {"DPI_slider_5", "QSlider"},
          {"DPI_edit_5", "QLineEdit"},
          {"DPI_color_option_5", "QAbstractButton"},
          {"polling_rate_option_4", "QAbstractButton"},
          {"mouse_option_layout", "QWidget"},
          {"mouse_device_seting_option_2", "QAbstractButton"},
          {"pointer_speed_slider", "QSlider"},
          {"pointer_precision_check", "QAbstractButton"},
          {"scrolls_page_check", "QAbstractButton"},
          {"scroll_speed_slider", "QSlider"},
          {"double_click_slider", "QSlider"},
          {"logo", "QAbstractButton"}}},
        {"keyboard_device.ui",
         {{"DeviceProfileItem", "QWidget"},
          {"KeySetControlItem", "QWidget"},
          {"device_tishi_info", "QLabel"},
          {"polling_rate_option_3", "QAbstractButton"},
          {"winlockflag_option", "QAbstractButton"},
          {"wflag_option", "QAbstractButton"},
          {"6flag_option", "QAbstractButton"},
          {"repeat_rate_slider", "QSlider"},
          {"repeat_delay_check_3", "QAbstractButton"},
          {"repeat_delay_time_label1", "QLabel"},
          {"repeat_input_richedit", "QLineEdit"},
          {"custom_colour_swatch", "QAbstractButton"},
          {"custom_colour_keys_btn", "QAbstractButton"},
          {"custom_colour_all_btn", "QAbstractButton"},
          {"custom_colour_off_btn", "QAbstractButton"},
          {"custom_colour_selection_label", "QLabel"}}},
        {"message_box.ui",
         {{"MessageTitle", "QLabel"},
          {"MessageText", "QLabel"},
          {"confirm_btn", "QAbstractButton"},
          {"cancel_btn", "QAbstractButton"},
          {"closebtn", "QAbstractButton"}}},
        {"about.ui",
         {{"closebtn", "QAbstractButton"},
          {"maxbtn", "QAbstractButton"},
          {"restorebtn", "QAbstractButton"},
          {"minbtn", "QAbstractButton"},
          {"menubtn", "QAbstractButton"},
          {"software_ver_label", "QLabel"},
          {"text_test", "QLabel"},
          {"homepage_btn", "QAbstractButton"}}},
    };
    return table;
}

struct PageSpec {
    const char* layout;
    const char* panel;
    int keys;    // key_0 … key_(keys-1)
    int lights;  // userData light_0 … light_(lights-1)
    bool keyFunctions;
    std::array<const char*, 4> tabs;  // the option tabs the page has (the switch's pages they show)
    int functions;                    // pages of the function switch
};

constexpr std::array<const char*, 4> kFullTabs{"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"};
constexpr std::array<const char*, 4> kHeadsetTabs{"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"};
constexpr std::array<PageSpec, 4> kPages{{
    {"mouse_device.ui", "mouse_device_key_light", 11, 6, false, kFullTabs, 4},
    {"keyboard_device.ui", "keyboard_device_key_light", 170, 170, true, kFullTabs, 4},
    {"mousepad_device.ui", "mousepad_device_key_light", 0, 15, false, {"deng_Op_tab"}, 1},
    {"hs6533_device.ui", "hs6533_device_key_light", 0, 13, false, kHeadsetTabs, 7},
}};

QStringList allLayouts() {
    return QDir(skinFolder()).entryList({QStringLiteral("*.ui")}, QDir::Files, QDir::Name);
}

TEST(Layouts, EveryLayoutLoadsWithItsRequiredControls) {
    ASSERT_GE(allLayouts().size(), 9);
    for (const QString& layout : allLayouts()) {
        EXPECT_NE(loadLayout(layout), nullptr) << layout.toStdString();
    }
    for (const Required& r : requiredControls()) {
        auto root = loadLayout(QString::fromLatin1(r.layout));
        ASSERT_NE(root, nullptr) << r.layout;
        buildAllParts(root.get());
        for (const auto& [name, cls] : r.controls) {
            const QString wanted = QString::fromLatin1(name);
            QWidget* w = root->objectName() == wanted ? root.get() : root->findChild<QWidget*>(wanted);
            ASSERT_NE(w, nullptr) << r.layout << ": " << name;
            EXPECT_TRUE(w->inherits(cls))
                << r.layout << ": " << name << " is " << w->metaObject()->className();
        }
    }
}

TEST(Layouts, MainWindowLeavesTheListEmptyAndLaysTheNoticeOverThePages) {
    auto root = loadLayout(QStringLiteral("main_window.ui"));
    ASSERT_NE(root, nullptr);
    auto* list = root->findChild<QWidget*>(QStringLiteral("device_select_layout"));
    ASSERT_NE(list, nullptr);
    auto* box = qobject_cast<QHBoxLayout*>(list->layout());
    ASSERT_NE(box, nullptr) << "the lead adds one entry per device to this box";
    EXPECT_EQ(box->count(), 0);
    for (const char* empty : {"device_switch", "device_power_switch"}) {
        EXPECT_EQ(root->findChild<QStackedWidget*>(QLatin1String(empty))->count(), 0) << empty;
    }
    EXPECT_TRUE(root->findChild<QWidget*>(QStringLiteral("restorebtn"))->isHidden());
    EXPECT_TRUE(root->findChild<QAbstractButton*>(QStringLiteral("control_light_status"))->isCheckable());

    // The notice covers exactly the page area and is drawn above the pages.
    root->resize(1000, 640);
    root->show();
    auto* pages = root->findChild<QWidget*>(QStringLiteral("device_switch"));
    auto* notice = root->findChild<QWidget*>(QStringLiteral("No_device_Link"));
    EXPECT_EQ(notice->parentWidget(), pages->parentWidget());
    EXPECT_EQ(notice->geometry(), pages->geometry());
    const QObjectList siblings = pages->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(notice), siblings.indexOf(pages));
}

TEST(Layouts, DevicePagesHoldTheirSpotsSwitchesAndTabs) {
    for (const PageSpec& page : kPages) {
        SCOPED_TRACE(page.layout);
        auto root = loadLayout(QString::fromLatin1(page.layout));
        ASSERT_NE(root, nullptr);
        auto* panel = root->findChild<SelectPanel*>(QString::fromLatin1(page.panel));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(root->findChildren<SelectPanel*>().size(), 1);

        // Keys by name and lights by user data, each exactly once, all directly on the panel.
        QMap<int, int> keys;
        QMap<int, int> lights;
        static const QRegularExpression keyName(QStringLiteral("^key_(\\d+)$"));
        static const QRegularExpression lightName(QStringLiteral("^light_(\\d+)$"));
        for (DeviceKeyButton* spot : spotsOf(*panel)) {
            if (const auto m = keyName.match(spot->objectName()); m.hasMatch()) ++keys[m.captured(1).toInt()];
            const QString userData = spot->property("userData").toString();
            if (const auto m = lightName.match(userData); m.hasMatch()) ++lights[m.captured(1).toInt()];
        }
        EXPECT_EQ(root->findChildren<DeviceKeyButton*>().size(), spotsOf(*panel).size())
            << "spots off the panel";
        EXPECT_EQ(keys.size(), page.keys);
        EXPECT_EQ(lights.size(), page.lights);
        for (auto it = keys.begin(); it != keys.end(); ++it) {
            EXPECT_LT(it.key(), page.keys);
            EXPECT_EQ(it.value(), 1) << "key_" << it.key();
        }
        for (auto it = lights.begin(); it != lights.end(); ++it) {
            EXPECT_LT(it.key(), page.lights);
            EXPECT_EQ(it.value(), 1) << "light_" << it.key();
        }

        // Shown spots lie inside the picture and never overlap (a drag would select the wrong ones).
        std::vector<DeviceKeyButton*> shown;
        for (DeviceKeyButton* spot : spotsOf(*panel)) {
            if (!spot->isHidden()) shown.push_back(spot);
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(QRect(QPoint(0, 0), panel->sizeHint()).contains(shown[i]->geometry()))
                << shown[i]->objectName().toStdString();
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << shown[i]->objectName().toStdString() << " overlaps "
                    << shown[j]->objectName().toStdString();
            }
        }

        auto* functions = root->findChild<QStackedWidget*>(QStringLiteral("device_function_switch"));
        ASSERT_NE(functions, nullptr);
        EXPECT_EQ(functions->count(), page.functions);
        auto* keyFunctions = root->findChild<QStackedWidget*>(QStringLiteral("device_key_function_switch"));
        EXPECT_EQ(keyFunctions != nullptr, page.keyFunctions);
        if (keyFunctions) {
            EXPECT_EQ(keyFunctions->count(), 3);
        }
        EXPECT_NE(root->findChild<QAbstractButton*>(QStringLiteral("default_btn")), nullptr);

        int checked = 0;
        for (const char* name : page.tabs) {
            if (!name) continue;
            auto* tab = root->findChild<QPushButton*>(QLatin1String(name));
            ASSERT_NE(tab, nullptr) << name;
            EXPECT_TRUE(tab->isCheckable() && tab->autoExclusive()) << name;
            checked += tab->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1);
    }
}

// Button lists and the key editor show these names; a missing one would show as its id.
TEST(Layouts, EveryAssignableFunctionHasATextInBothLanguages) {
    LanguageTexts english;
    LanguageTexts chinese;
    ASSERT_TRUE(english.load(languageFile(QStringLiteral("en.json"))));
    ASSERT_TRUE(chinese.load(languageFile(QStringLiteral("zh_CN.json"))));
    std::vector<std::string_view> ids;
    ids.reserve(std::size(KeyCodeTable));
    for (const auto& row : KeyCodeTable) ids.push_back(row.name);
    const auto addChoices = [&ids](const auto& table) {
        for (const auto& row : table) ids.push_back(row.name);
    };
    addChoices(kMouseButtonChoices);
    addChoices(kDpiChoices);
    addChoices(kSystemChoices);
    addChoices(kMediaChoices);
    for (const auto& row : kMouseActionTable) ids.push_back(row.name);
    ids.insert(ids.end(), kDeviceShortcutNames.begin(), kDeviceShortcutNames.end());
    ids.insert(ids.end(), kRecoilNames.begin(), kRecoilNames.end());
    ids.insert(ids.end(), kSwingNames.begin(), kSwingNames.end());
    for (std::string_view id :
         {"close_text", "show_window", "mouse_key_DPI_shift", "mouse_key_fire_key", "mouse_key_smart_key",
          "mouse_key_M8_key", "Light_Set", "Overall_Light_Set"}) {
        ids.push_back(id);
    }
    for (std::string_view id : ids) {
        const QString text = QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()));
        EXPECT_TRUE(english.contains(text)) << id << " en";
        EXPECT_TRUE(chinese.contains(text)) << id << " zh_CN";
    }
}

TEST(Layouts, EveryImageNamedByTheSkinExistsAndRenders) {
    QStringList named;
    // Style-sheet images ("skin:…") in the layouts and the style sheet, icon files in the layouts.
    static const QRegularExpression styleImage(QStringLiteral("skin:([A-Za-z0-9_/.]+\\.svg)"));
    static const QRegularExpression iconFile(QStringLiteral("<normal(?:off|on)>([^<]+)</normal(?:off|on)>"));
    QStringList sources = allLayouts();
    sources << QStringLiteral("halvern.qss");
    for (const QString& source : sources) {
        QFile file(QDir(skinFolder()).filePath(source));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << source.toStdString();
        const QString text = QString::fromUtf8(file.readAll());
        for (const auto* pattern : {&styleImage, &iconFile}) {
            for (auto it = pattern->globalMatch(text); it.hasNext();) named << it.next().captured(1);
        }
    }
    // Images the controls choose in code.
    for (uint16_t type : {0, 1, 2, 3, 7}) {
        const DeviceOption::Icons icons = DeviceOption::iconsFor(type);
        named << icons.normal << icons.selected << icons.synchroNormal << icons.synchroSelected;
    }
    for (const char* image :
         {"power/powered.svg", "power/powering.svg", "power/wuxian_powering.svg", "power/power.svg",
          "power/Phone_type_iphone.svg", "power/Phone_type_samsung.svg", "power/Phone_type_other.svg",
          "power/Phone_type_no_device.svg", "halvern.svg"}) {
        named << QString::fromLatin1(image);
    }
    named.removeDuplicates();
    EXPECT_GT(named.size(), 40);
    for (const QString& image : named) {
        QSvgRenderer renderer(QDir(skinFolder()).filePath(image));
        EXPECT_TRUE(renderer.isValid()) << image.toStdString();
    }
    // And no SVG in the folder is broken, named or not.
    for (QDirIterator it(skinFolder(), {QStringLiteral("*.svg")}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        EXPECT_TRUE(QSvgRenderer(path).isValid()) << path.toStdString();
    }
}

TEST(Layouts, ListEntryAndPowerWidgetShowTheirImages) {
    setImageFolder(skinFolder());
    const LayoutLoader loader = makeLoader();
    DeviceOption entry(loader);
    for (uint16_t type : {1, 2, 3, 7, 0}) {
        entry.SetKind(type, 0);
        for (bool synchro : {false, true}) {
            entry.SetSynchro(synchro);
            const QIcon icon = entry.selectButton()->icon();
            EXPECT_FALSE(icon.pixmap(QSize(48, 48), QIcon::Normal, QIcon::Off).isNull()) << type;
            EXPECT_FALSE(icon.pixmap(QSize(48, 48), QIcon::Normal, QIcon::On).isNull()) << type;
        }
    }
    DevicePower power(loader);
    power.SetType(3, 0);
    const std::array<uint8_t, 6> charging{80, 1, 0, 0, 0, 2};
    power.ShowStatus(charging);
    auto* status = power.findChild<QLabel*>(QStringLiteral("device_power_status"));
    auto* phone = power.findChild<QLabel*>(QStringLiteral("device_phone_type"));
    ASSERT_TRUE(status && phone);
    EXPECT_FALSE(status->pixmap().isNull()) << power.statusImage().toStdString();
    EXPECT_FALSE(phone->pixmap().isNull()) << power.phoneImage().toStdString();
    EXPECT_EQ(power.findChild<QLabel*>(QStringLiteral("device_power_value"))->text(), QStringLiteral("80%"));
}

}  // namespace
}  // namespace halvern::ui::test
