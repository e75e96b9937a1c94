// The picture layer paints the panel, its picture and its keys in one widget: the still part is rendered
// once per change, a light's change repaints only the lights, and what the user sees is what the keys
// would paint themselves.

#include "ui/controls/key_picture_layer.h"

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <memory>

#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"

namespace halvern::ui::test {
namespace {

// A red panel, a green picture on its left half, and keys: A on the picture's edge, B and C overlapping.
class KeyPictureLayerTest : public ::testing::Test {
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

    // The layer decides which keys stand alone once the keys' changes have been delivered.
    static void settle() { QCoreApplication::sendPostedEvents(); }

    [[nodiscard]] bool opaque(const DeviceKeyButton* key) const {
        return m_panel->pictureLayer().standsAlone(key);
    }
    [[nodiscard]] int renders() const { return m_panel->pictureLayer().renders(); }
    /// What the screen shows of the panel, and what a full rendering of it shows.
    [[nodiscard]] QImage screen() const {
        return m_panel->screen()
            ->grabWindow(m_panel->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    [[nodiscard]] QImage picture() const {
        return m_panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<SelectPanel> m_panel;
    DeviceKeyButton* m_a = nullptr;
    DeviceKeyButton* m_b = nullptr;
    DeviceKeyButton* m_c = nullptr;
};

TEST_F(KeyPictureLayerTest, KeysThatOverlapNoOtherStandAloneAndMovingAKeyDecidesAgain) {
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

TEST_F(KeyPictureLayerTest, ThePictureShowsKeysOverWhatLiesUnderThemAndIsRenderedOncePerChange) {
    ASSERT_TRUE(opaque(m_a));
    const QImage drawn = m_panel->grab().toImage();
    // The key's corners, outside its rounded cap, show the picture on the left and the panel on the right.
    EXPECT_EQ(drawn.pixelColor(130, 50), QColor(0, 255, 0));
    EXPECT_EQ(drawn.pixelColor(169, 50), QColor(255, 0, 0));
    EXPECT_EQ(drawn.pixelColor(150, 65), QColor(0, 0, 255));  // the light in the middle
    EXPECT_EQ(drawn.pixelColor(250, 10), QColor(255, 0, 0));  // the panel, as it draws itself
    EXPECT_EQ(drawn.pixelColor(20, 120), QColor(0, 255, 0));  // what an overlapping key is drawn over
    // C lies over B: where they share pixels, C's light is on top of B's cap and light.
    m_b->setLightColour(0x0000FF, 255, true);
    m_b->updateLight();
    EXPECT_EQ(m_panel->grab().toImage().pixelColor(56, 140), QColor(0, 0, 255));
    EXPECT_EQ(m_panel->grab().toImage().pixelColor(30, 130), QColor(255, 0, 0));

    const int before = renders();
    for (uint32_t colour = 0; colour < 20; ++colour) {
        m_a->setLightColour(colour << 16, 255, true);
        m_a->updateLight();
        m_panel->repaint();
    }
    EXPECT_EQ(renders(), before);
    EXPECT_EQ(m_panel->grab().toImage().pixelColor(150, 65), QColor(0, 0, 19));

    // A selected key shows its edge: only its place in the scene is drawn again.
    m_a->setSelectedKey(true);
    m_panel->update();
    EXPECT_EQ(m_panel->grab().toImage().pixelColor(150, 51), QColor(0x3D, 0xA9, 0xFC));
    EXPECT_EQ(renders(), before);

    m_panel->setStyleSheet(QStringLiteral("#panel { background: #0000ff; }"));
    settle();
    m_a->setLightColour(0x00FF00, 255, true);
    const QImage restyled = m_panel->grab().toImage();
    EXPECT_EQ(restyled.pixelColor(169, 50), QColor(0, 0, 255));
    EXPECT_EQ(renders(), before + 1);
}

// Frames paint only the lights over what the screen already shows; what the screen shows must still be
// the whole picture, also after a rubber band was drawn over it and after a key's look changed.
TEST_F(KeyPictureLayerTest, TheScreenShowsTheWholePictureAfterFramesThatPaintedOnlyTheLights) {
    KeyPictureLayer& layer = m_panel->pictureLayer();
    m_a->setText(QStringLiteral("A"));
    m_c->setKeysetImageHidden(false);
    const auto frame = [&](uint32_t colour) {
        for (DeviceKeyButton* key : {m_a, m_b, m_c}) {
            key->setLightColour(colour, 200, true);
            layer.lightChanged(*key);
        }
        layer.showChangedLights();
        return QTest::qWaitFor([&] { return !layer.paintPending(); });
    };

    for (uint32_t step = 0; step < 4; ++step) ASSERT_TRUE(frame(step * 0x302010));
    EXPECT_GT(layer.lightsOnlyPaints(), 0);
    EXPECT_EQ(screen(), picture());

    const int lightsOnly = layer.lightsOnlyPaints();
    QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(m_panel.get(), QPoint(180, 170));
    ASSERT_TRUE(frame(0x00FF00));
    QTest::mouseMove(m_panel.get(), QPoint(175, 100));
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(175, 100));
    for (uint32_t step = 0; step < 3; ++step) ASSERT_TRUE(frame(step * 0x102030));
    EXPECT_GT(layer.lightsOnlyPaints(), lightsOnly);
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_EQ(screen(), picture());
}

// The frame around a mouse pad's picture cuts off the bottom of its layer: once the part that can be seen
// was painted whole, frames still paint only the lights.
TEST(KeyPictureLayerCutOff, FramesPaintOnlyTheLightsWhenPartOfTheLayerIsHidden) {
    QWidget host;
    host.resize(300, 150);
    auto* panel = new SelectPanel(&host);  // owned by the host
    panel->resize(300, 200);
    auto* key = new DeviceKeyButton(panel);  // owned by the panel
    key->setGeometry(20, 20, 40, 30);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QCoreApplication::sendPostedEvents();
    KeyPictureLayer& layer = panel->pictureLayer();
    for (uint32_t step = 1; step <= 4; ++step) {
        key->setLightColour(step * 0x302010, 200, true);
        layer.lightChanged(*key);
        layer.showChangedLights();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !layer.paintPending(); }));
    }
    EXPECT_GE(layer.lightsOnlyPaints(), 3);
}

// A key whose look changes without its light (the mark of the key being edited) reaches the screen at
// once: the layer lies over the keys, so a repaint of the key itself would never be seen.
TEST_F(KeyPictureLayerTest, AKeysMarkReachesTheScreenWithoutALightChanging) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen() == picture(); }));
    const QImage before = screen();
    m_a->setEditing(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen() == picture(); }));
    EXPECT_NE(screen(), before);
    m_a->setEditing(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen() == before; }));
}

}  // namespace
}  // namespace halvern::ui::test
