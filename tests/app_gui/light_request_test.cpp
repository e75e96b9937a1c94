// Light-mode requests of other programs, sent with dbus-send on the private session bus that
// tests/dbus/session_bus.sh gives this program, to the running window over an emulated mouse.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTimer>

#include "devices/mouse_record.h"
#include "lighting/steady_clock.h"
#include "page_fixture.h"
#include "ui/pages/mouse_page.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class LightRequestTest : public PageFixture {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no session bus: run this program through tests/dbus/session_bus.sh";
        startWith(emu::Product::Mouse, [&] {
            auto* p = pageOf<ui::MousePage>(0);
            return p && p->lightPanel()->editor()->modeCount() > 0 && !p->writing() &&
                   !p->mouse().factoryTable().empty();
        });
        page = pageOf<ui::MousePage>(0);
        LightSetting light = page->mouse().settings().light;
        light.mode = 3;
        page->lightPanel()->target()->changeLight(light, page->track());
        ASSERT_TRUE(settled(page));
    }

    // The mode the mouse's onboard record holds.
    int recordedMode() {
        mouse_record::Record record{};
        const auto& region = plugged->firmware().region(emu::Region::Settings);
        std::copy_n(region.begin(), std::min(record.size(), region.size()), record.begin());
        return mouse_record::Read(record, page->mouse().lightLists().values).light.mode;
    }
    static void send(const char* name, int kind, int mode) {
        const int code = QProcess::execute(
            QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--type=signal"),
             QStringLiteral("/org/halvern/Halvern"), QStringLiteral("org.halvern.Halvern.Message"),
             QStringLiteral("string:") + QLatin1String(name), QStringLiteral("int64:%1").arg(kind),
             QStringLiteral("int64:%1").arg(mode)});
        ASSERT_EQ(code, 0) << "dbus-send failed";
    }

    ui::MousePage* page = nullptr;
};

TEST_F(LightRequestTest, AGameShowsItsModeAndThePageReturnsWhenTheTimeIsUp) {
    page->device().commandChannel().setLightSync(true);
    send("Game_Start", 0, 5);
    ASSERT_TRUE(waitUntil([&] { return page->mouse().settings().light.mode == 5; }));
    EXPECT_FALSE(page->device().commandChannel().lightSync());
    EXPECT_EQ(page->lightPanel()->editor()->GetModeIndex(), 5);
    EXPECT_TRUE(waitUntil([&] { return recordedMode() == 5; }));
    ASSERT_TRUE(window->lightModeReturnTimer()->isActive());
    EXPECT_EQ(window->lightModeReturnTimer()->interval(), 5000);

    window->returnToPreviousLightMode(steadyMillis() + 5000);  // the timer's moment, without waiting for it
    EXPECT_EQ(page->mouse().settings().light.mode, 3);
    EXPECT_TRUE(waitUntil([&] { return recordedMode() == 3; }));
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(page->mouse().profile().GetLightInfo().mode, 3);

    // While the system sleeps, requests are dropped.
    window->systemSleep(true);
    window->lightModeRequest(1, 7);
    EXPECT_EQ(page->mouse().settings().light.mode, 3);
    window->systemSleep(false);
    send("Game_Death", 1, 7);  // kind 1 keeps the remembered mode 3
    ASSERT_TRUE(waitUntil([&] { return page->mouse().settings().light.mode == 7; }));
    window->returnToPreviousLightMode(steadyMillis() + 5000);
    EXPECT_EQ(page->mouse().settings().light.mode, 3);
}

}  // namespace
}  // namespace halvern::app
