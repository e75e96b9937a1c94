// Keys that overlap no other paint what lies under them from one backdrop of the panel, rendered once per
// change, so a light's repaint does not repaint the picture and the window under it.

#include "ui/controls/key_backdrop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <memory>

#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"

namespace halvern::ui::test {
namespace {

// A red panel, a green picture on its left half, and keys: A on the picture's edge, B and C overlapping.
class KeyBackdropTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_panel = std::make_unique<SelectPanel>();
        m_panel->setObjectName(QStringLiteral("panel"));
        m_panel->setStyleSheet(QStringLiteral("#panel { background: #ff0000; }"));
        m_panel->resize(300, 200);
        auto* picture = new QLabel(m_panel.get());
        picture->setStyleSheet(QStringLiteral("background: #00ff00;"));
        picture->setGeometry(0, 0, 150, 200);
        m_a = key(130, 50);  // x 130..169: over the picture's edge at 150
        m_b = key(20, 120);
        m_c = key(50, 130);  // shares pixels with B
        m_panel->show();
        settle();
    }

    DeviceKeyButton* key(int x, int y) {
        auto* button = new DeviceKeyButton(m_panel.get());
        button->setGeometry(x, y, 40, 30);
        button->setLightColour(0xFF0000, 255, true);  // blue: 0x00BBGGRR
        return button;
    }

    // The panel decides which keys are opaque once the keys' changes have been delivered.
    static void settle() { QCoreApplication::sendPostedEvents(); }

    static bool opaque(const QWidget* w) { return w->testAttribute(Qt::WA_OpaquePaintEvent); }

    std::unique_ptr<SelectPanel> m_panel;
    DeviceKeyButton* m_a = nullptr;
    DeviceKeyButton* m_b = nullptr;
    DeviceKeyButton* m_c = nullptr;
};

TEST_F(KeyBackdropTest, KeysThatOverlapNoOtherAreOpaqueAndMovingAKeyDecidesAgain) {
    EXPECT_TRUE(opaque(m_a));
    EXPECT_FALSE(opaque(m_b));
    EXPECT_FALSE(opaque(m_c));

    m_c->move(200, 150);
    settle();
    EXPECT_TRUE(opaque(m_b));
    EXPECT_TRUE(opaque(m_c));

    m_a->move(210, 140);  // now over C
    settle();
    EXPECT_FALSE(opaque(m_a));
    EXPECT_FALSE(opaque(m_c));
    EXPECT_TRUE(opaque(m_b));

    m_c->hide();  // a hidden key covers nothing
    settle();
    EXPECT_TRUE(opaque(m_a));
}

TEST_F(KeyBackdropTest, AnOpaqueKeyShowsWhatLiesUnderItAndTheBackdropIsRenderedOncePerChange) {
    ASSERT_TRUE(opaque(m_a));
    const QImage drawn = m_panel->grab().toImage();
    // The key's corners, outside its rounded cap, show the picture on the left and the panel on the right.
    EXPECT_EQ(drawn.pixelColor(130, 50), QColor(0, 255, 0));
    EXPECT_EQ(drawn.pixelColor(169, 50), QColor(255, 0, 0));
    EXPECT_EQ(drawn.pixelColor(150, 65), QColor(0, 0, 255));  // the light in the middle
    EXPECT_EQ(drawn.pixelColor(250, 10), QColor(255, 0, 0));  // the panel, as it draws itself
    EXPECT_EQ(drawn.pixelColor(20, 120), QColor(0, 255, 0));  // what an overlapping key is drawn over

    const int renders = m_panel->backdrop().renders();
    for (uint32_t colour = 0; colour < 20; ++colour) {
        m_a->setLightColour(colour, 255, true);
        m_a->repaint();
    }
    EXPECT_EQ(m_panel->backdrop().renders(), renders);

    m_panel->setStyleSheet(QStringLiteral("#panel { background: #0000ff; }"));
    settle();
    m_a->setLightColour(0x00FF00, 255, true);
    const QImage restyled = m_panel->grab().toImage();
    EXPECT_EQ(restyled.pixelColor(169, 50), QColor(0, 0, 255));
    EXPECT_EQ(m_panel->backdrop().renders(), renders + 1);
}

}  // namespace
}  // namespace halvern::ui::test
