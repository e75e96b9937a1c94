// The mouse page's Pointer tab: each setting reaches the one place that owns it (the mouse's own input
// device, the desktop's settings), what cannot act in the session is disabled and says why, the values
// stand beside the sliders, and a setting the desktop refuses is neither shown nor kept.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <cctype>
#include <optional>
#include <set>
#include <tuple>

#include "desktop/desktop_settings.h"
#include "desktop/pointer_settings.h"
#include "page_fixture.h"
#include "ui/pages/mouse_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using desktop::Availability;
using desktop::PointerSetting;
using desktop::UsbIds;

using Applied = std::vector<std::tuple<PointerSetting, int, uint16_t>>;  // setting, value, product id

class FakeTarget final : public desktop::PointerTarget {
public:
    FakeTarget(std::shared_ptr<Applied> log, std::string reason = {}, bool accepts = true)
        : m_log(std::move(log)), m_reason(std::move(reason)), m_accepts(accepts) {}
    [[nodiscard]] Availability availability(PointerSetting, UsbIds) const override { return {m_reason, {}}; }
    [[nodiscard]] bool apply(PointerSetting s, int value, UsbIds ids) override {
        m_log->emplace_back(s, value, ids.pid);
        return m_accepts;
    }

private:
    std::shared_ptr<Applied> m_log;
    std::string m_reason;
    bool m_accepts;
};

using Runs = std::vector<std::vector<std::string>>;

/// Settings programs that keep what they are told, or (`stores` false) say yes and keep nothing, as
/// gsettings does without a session bus. Reads are the runs whose last argument is not a number.
class FakeRunner final : public desktop::ProgramRunner {
public:
    FakeRunner(std::set<std::string> installed, std::shared_ptr<Runs> runs, bool stores = true)
        : m_installed(std::move(installed)), m_runs(std::move(runs)), m_stores(stores) {}
    [[nodiscard]] bool installed(const std::string& program) const override {
        return m_installed.count(program) != 0;
    }
    [[nodiscard]] std::optional<std::string> run(const std::string& program,
                                                 const std::vector<std::string>& arguments) override {
        std::vector<std::string> line{program};
        line.insert(line.end(), arguments.begin(), arguments.end());
        m_runs->push_back(line);
        const std::string& last = arguments.empty() ? program : arguments.back();
        if (!last.empty() && std::isdigit(static_cast<unsigned char>(last[0]))) {
            if (m_stores) m_value = last;
            return std::string();
        }
        return m_value + "\n";
    }

private:
    std::set<std::string> m_installed;
    std::shared_ptr<Runs> m_runs;
    bool m_stores;
    std::string m_value = "400";
};

TEST(PointerSettings, EachSettingReachesTheTargetThatOwnsItAndUnsetValuesNone) {
    auto device = std::make_shared<Applied>();
    auto desktopLog = std::make_shared<Applied>();
    desktop::PointerSettings settings(std::make_unique<FakeTarget>(device),
                                      std::make_unique<FakeTarget>(desktopLog));
    const UsbIds mouse{0x1234, 0x5678};
    using desktop::ApplyResult;
    EXPECT_EQ(settings.apply(PointerSetting::Speed, 14, mouse), ApplyResult::Applied);
    EXPECT_EQ(settings.apply(PointerSetting::Precision, 0, mouse), ApplyResult::Applied);  // 0 is "off"
    EXPECT_EQ(settings.apply(PointerSetting::WheelLines, 5, mouse), ApplyResult::Applied);
    EXPECT_EQ(settings.apply(PointerSetting::DoubleClick, 450, mouse), ApplyResult::Applied);
    EXPECT_EQ(settings.apply(PointerSetting::DoubleClick, 0, mouse), ApplyResult::NotSet);
    EXPECT_EQ(settings.apply(PointerSetting::ScrollPage, 1, mouse), ApplyResult::Unavailable);
    EXPECT_EQ(*device,
              (Applied{{PointerSetting::Speed, 14, 0x5678}, {PointerSetting::Precision, 0, 0x5678}}));
    EXPECT_EQ(*desktopLog,
              (Applied{{PointerSetting::WheelLines, 5, 0x5678}, {PointerSetting::DoubleClick, 450, 0x5678}}));
    EXPECT_EQ(settings.availability(PointerSetting::ScrollPage, mouse).reasonId,
              "pointer_reason_scroll_page");

    // An unavailable target is never asked to apply.
    desktop::PointerSettings wayland(std::make_unique<desktop::UnavailableTarget>("pointer_reason_wayland"),
                                     std::make_unique<FakeTarget>(desktopLog));
    EXPECT_EQ(wayland.apply(PointerSetting::Speed, 14, mouse), ApplyResult::Unavailable);
    EXPECT_EQ(wayland.availability(PointerSetting::Precision, mouse).reasonId, "pointer_reason_wayland");
    EXPECT_FLOAT_EQ(desktop::LibinputSpeed(20), 1.0F);
    EXPECT_FLOAT_EQ(desktop::LibinputSpeed(10), 0.0F);
    EXPECT_FLOAT_EQ(desktop::LibinputSpeed(1), -0.9F);
}

TEST(DesktopPointerSettings, RunsTheDesktopsOwnProgramOrSaysWhyNot) {
    using desktop::DesktopKind;
    const UsbIds any{};
    auto runs = std::make_shared<Runs>();
    desktop::DesktopPointerSettings gnome(
        DesktopKind::Gnome, std::make_unique<FakeRunner>(std::set<std::string>{"gsettings"}, runs));
    EXPECT_TRUE(gnome.availability(PointerSetting::DoubleClick, any).available());
    EXPECT_TRUE(gnome.apply(PointerSetting::DoubleClick, 5000, any));  // clamped to what GNOME takes
    EXPECT_EQ(*runs,
              (Runs{{"gsettings", "set", "org.gnome.desktop.peripherals.mouse", "double-click", "2000"},
                    {"gsettings", "get", "org.gnome.desktop.peripherals.mouse", "double-click"}}));
    // Ending well is not enough: what the desktop kept is read back.
    desktop::DesktopPointerSettings forgetful(
        DesktopKind::Gnome, std::make_unique<FakeRunner>(std::set<std::string>{"gsettings"}, runs, false));
    EXPECT_FALSE(forgetful.apply(PointerSetting::DoubleClick, 450, any));
    const Availability noLines = gnome.availability(PointerSetting::WheelLines, any);
    EXPECT_EQ(noLines.reasonId, "pointer_reason_no_setting");
    EXPECT_EQ(noLines.argument, "GNOME");
    EXPECT_FALSE(gnome.apply(PointerSetting::WheelLines, 3, any));

    runs->clear();
    desktop::DesktopPointerSettings kde(
        DesktopKind::Kde,
        std::make_unique<FakeRunner>(std::set<std::string>{"kwriteconfig5", "dbus-send"}, runs));
    EXPECT_TRUE(kde.apply(PointerSetting::WheelLines, 7, any));
    ASSERT_EQ(runs->size(), 3U);
    EXPECT_EQ((*runs)[0], (std::vector<std::string>{"kwriteconfig5", "--file", "kdeglobals", "--group", "KDE",
                                                    "--key", "WheelScrollLines", "7"}));
    EXPECT_EQ((*runs)[1][0], "kreadconfig5");
    EXPECT_EQ((*runs)[2][0], "dbus-send");  // running programs are told

    desktop::DesktopPointerSettings bare(DesktopKind::Gnome,
                                         std::make_unique<FakeRunner>(std::set<std::string>{}, runs));
    const Availability missing = bare.availability(PointerSetting::DoubleClick, any);
    EXPECT_EQ(missing.reasonId, "pointer_reason_program");
    EXPECT_EQ(missing.argument, "gsettings");
    desktop::DesktopPointerSettings other(
        DesktopKind::Unknown, std::make_unique<FakeRunner>(std::set<std::string>{"gsettings"}, runs));
    EXPECT_EQ(other.availability(PointerSetting::DoubleClick, any).reasonId, "pointer_reason_desktop");

    EXPECT_EQ(desktop::DesktopFromXdgCurrentDesktop("ubuntu:GNOME"), DesktopKind::Gnome);
    EXPECT_EQ(desktop::DesktopFromXdgCurrentDesktop("KDE"), DesktopKind::Kde);
    EXPECT_EQ(desktop::DesktopFromXdgCurrentDesktop("XFCE"), DesktopKind::Unknown);
    EXPECT_EQ(desktop::DesktopFromXdgCurrentDesktop(""), DesktopKind::Unknown);
}

class PointerTabTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(emu::Product::Mouse, [&] { return page() && !page()->mouse().factoryTable().empty(); });
        page()->BuildAllSections();  // the tests work the system tab
    }
    ui::MousePage* page() { return pageOf<ui::MousePage>(0); }
    template <typename T = QWidget>
    T* control(const char* name) {
        return ui::findControl<T>(page(), QString::fromLatin1(name));
    }
    /// The device target is unavailable (as under Xvfb), the desktop's takes or refuses what it gets.
    void useFakes(bool desktopAccepts) {
        page()->SetPointerSettings(std::make_unique<desktop::PointerSettings>(
            std::make_unique<FakeTarget>(deviceLog, "pointer_reason_no_device"),
            std::make_unique<FakeTarget>(desktopLog, std::string(), desktopAccepts)));
    }
    QString en(const char* id) { return texts.text(QString::fromLatin1(id)); }

    std::shared_ptr<Applied> deviceLog = std::make_shared<Applied>();
    std::shared_ptr<Applied> desktopLog = std::make_shared<Applied>();
};

TEST_F(PointerTabTest, WhatCannotActIsDisabledWithItsReasonAndValuesStandBesideTheSliders) {
    useFakes(true);
    EXPECT_FALSE(control("pointer_speed_slider")->isEnabled());
    EXPECT_FALSE(control("pointer_precision_check")->isEnabled());
    auto* reason = control<QLabel>("pointer_speed_reason");
    ASSERT_TRUE(reason);
    EXPECT_FALSE(reason->isHidden());
    EXPECT_EQ(reason->text(), en("pointer_reason_no_device"));
    EXPECT_FALSE(control("scrolls_page_check")->isEnabled());
    EXPECT_EQ(control<QLabel>("scrolls_page_reason")->text(), en("pointer_reason_scroll_page"));
    EXPECT_TRUE(control("double_click_slider")->isEnabled());
    EXPECT_TRUE(control("double_click_reason")->isHidden());
    EXPECT_TRUE(control("scroll_speed_slider")->isEnabled());

    // The profile's values stand beside the sliders, disabled or not.
    const MouseSystem before = page()->mouse().settings().system;
    EXPECT_EQ(control<QLabel>("pointer_speed_value")->text(), QString::number(before.mouseSpeed));
    EXPECT_EQ(control<QLabel>("double_click_value")->text(),
              QStringLiteral("%1 ms").arg(before.doubleClickTime));

    // A disabled setting that still arrives (a stray routed event) changes nothing anywhere.
    page()->PointerSliderChanged(0, before.mouseSpeed + 3);
    page()->PointerOptionChanged(1, before.scrollPage == 0);
    EXPECT_TRUE(deviceLog->empty());
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().settings().system, before);

    // A value that means "never set" is sent nowhere, and the label says the desktop keeps its own.
    page()->PointerSliderChanged(2, 0);
    EXPECT_TRUE(desktopLog->empty());
    EXPECT_EQ(control<QLabel>("double_click_value")->text(), en("pointer_value_unset"));

    // The label follows a dragged slider before anything is applied.
    control<QSlider>("scroll_speed_slider")->setValue(6);
    EXPECT_EQ(control<QLabel>("scroll_speed_value")->text(), QStringLiteral("6 lines"));
    EXPECT_TRUE(desktopLog->empty());
}

TEST_F(PointerTabTest, ADesktopSettingActsAndIsKeptOrIsRefusedAndTakenBack) {
    useFakes(true);
    page()->PointerSliderChanged(2, 450);
    page()->PointerSliderChanged(1, 5);
    EXPECT_EQ(*desktopLog, (Applied{{PointerSetting::DoubleClick, 450, page()->mouse().identity().pid},
                                    {PointerSetting::WheelLines, 5, page()->mouse().identity().pid}}));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().settings().system.doubleClickTime, 450);
    EXPECT_EQ(page()->mouse().settings().system.wheelLines, 5);
    EXPECT_EQ(control<QLabel>("double_click_value")->text(), QStringLiteral("450 ms"));

    useFakes(false);
    answerMessages(true);
    page()->PointerSliderChanged(2, 800);
    ASSERT_EQ(messages.size(), 1U);  // the message box is modal: answered before the call returns
    EXPECT_EQ(messages.front(), en("pointer_apply_failed"));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().settings().system.doubleClickTime, 450);  // neither kept nor shown
    EXPECT_EQ(control<QSlider>("double_click_slider")->value(), 450);
    EXPECT_EQ(control<QLabel>("double_click_value")->text(), QStringLiteral("450 ms"));
}

}  // namespace
}  // namespace halvern::app
