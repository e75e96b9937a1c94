#include "ui/controls/select_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "notify_recorder.h"
#include "ui/controls/device_key_button.h"

namespace halvern::ui::test {
namespace {

// A 300 x 200 picture with two keys, a check box and a strip that holds a key of its own.
class SelectPanelDrag : public ::testing::Test {
protected:
    void SetUp() override {
        m_panel = std::make_unique<SelectPanel>();
        m_panel->resize(300, 200);
        m_a = new DeviceKeyButton(m_panel.get());
        m_a->setGeometry(100, 50, 40, 30);  // x 100..139, y 50..79
        m_b = new DeviceKeyButton(m_panel.get());
        m_b->setGeometry(200, 120, 40, 30);  // x 200..239, y 120..149
        m_box = new QCheckBox(m_panel.get());
        m_box->setGeometry(20, 150, 30, 30);
        auto* strip = new QWidget(m_panel.get());
        strip->setGeometry(0, 0, 300, 40);
        m_nested = new DeviceKeyButton(strip);
        m_nested->setGeometry(10, 5, 30, 30);
        m_panel->show();
        m_recorder = std::make_unique<NotifyRecorder<SelectPanel>>(*m_panel);
    }

    void drag(QPoint from, QPoint to) {
        QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(m_panel.get(), (from + to) / 2);
        QTest::mouseMove(m_panel.get(), to);
        QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, to);
    }

    [[nodiscard]] int ends() const { return m_recorder->count(QStringLiteral("click_select_end")); }

    std::unique_ptr<SelectPanel> m_panel;
    DeviceKeyButton* m_a = nullptr;
    DeviceKeyButton* m_b = nullptr;
    QCheckBox* m_box = nullptr;
    DeviceKeyButton* m_nested = nullptr;
    std::unique_ptr<NotifyRecorder<SelectPanel>> m_recorder;
};

TEST_F(SelectPanelDrag, OverlapOfOnePixelSelectsTouchingDoesNot) {
    drag({60, 45}, {101, 60});  // covers column 100 of key A
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_EQ(ends(), 1);

    drag({60, 45}, {100, 60});  // ends on A's left edge
    EXPECT_FALSE(m_a->isSelectedKey());

    drag({120, 80}, {130, 90});  // starts on A's bottom edge
    EXPECT_FALSE(m_a->isSelectedKey());
    drag({120, 79}, {130, 90});
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_EQ(ends(), 4);
}

TEST_F(SelectPanelDrag, EachDragReplacesTheSelection) {
    drag({90, 45}, {250, 160});
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_TRUE(m_b->isSelectedKey());
    drag({190, 110}, {250, 160});
    EXPECT_FALSE(m_a->isSelectedKey()) << "a key outside the new rectangle is unselected";
    EXPECT_TRUE(m_b->isSelectedKey());
}

TEST_F(SelectPanelDrag, MirroredDragsSelectTheSame) {
    const std::pair<QPoint, QPoint> corners[] = {
        {{90, 45}, {210, 125}}, {{210, 125}, {90, 45}}, {{210, 45}, {90, 125}}, {{90, 125}, {210, 45}}};
    for (const auto& [from, to] : corners) {
        m_a->setSelectedKey(false);
        m_b->setSelectedKey(false);
        drag(from, to);
        EXPECT_TRUE(m_a->isSelectedKey()) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
        EXPECT_TRUE(m_b->isSelectedKey()) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
        EXPECT_EQ(m_panel->selectionRect(), QRect(QPoint(90, 45), QPoint(209, 124)));
    }
}

TEST_F(SelectPanelDrag, ClickWithoutMoveChangesNothingAndSendsNothing) {
    drag({90, 45}, {150, 90});
    ASSERT_TRUE(m_a->isSelectedKey());
    const int before = ends();
    QTest::mouseClick(m_panel.get(), Qt::LeftButton, {}, QPoint(250, 20));
    QTest::mouseClick(m_panel.get(), Qt::LeftButton, {}, QPoint(120, 60));
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_FALSE(m_b->isSelectedKey());
    EXPECT_EQ(ends(), before);
}

TEST_F(SelectPanelDrag, OnlyDirectChildKeysAreConsidered) {
    m_box->setChecked(true);
    m_nested->setSelectedKey(false);
    drag({1, 1}, {299, 199});  // QTest takes (0, 0) for the centre
    EXPECT_TRUE(m_box->isChecked()) << "a child that is not a key keeps its state";
    EXPECT_FALSE(m_nested->isSelectedKey()) << "a key inside another child is not the panel's";
    EXPECT_TRUE(m_a->isSelectedKey());

    m_nested->setSelectedKey(true);
    drag({250, 190}, {260, 195});
    EXPECT_TRUE(m_nested->isSelectedKey());
    EXPECT_FALSE(m_a->isSelectedKey());
}

TEST_F(SelectPanelDrag, DragStartedOnAKeyIsADragNotAClick) {
    QSignalSpy clicked(m_a, &QAbstractButton::clicked);
    QTest::mousePress(m_a, Qt::LeftButton, {}, QPoint(5, 5));  // panel 105, 55
    QTest::mouseMove(m_a, QPoint(60, 40));
    QTest::mouseMove(m_a, QPoint(110, 80));  // panel 210, 130
    QTest::mouseRelease(m_a, Qt::LeftButton, {}, QPoint(110, 80));
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_TRUE(m_b->isSelectedKey());
    EXPECT_FALSE(m_a->isDown());
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(ends(), 1);

    QTest::mouseClick(m_a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1) << "a click on a key without a move stays a click";
    EXPECT_EQ(ends(), 1);
}

// A click is rarely perfectly still: movement below the platform's drag distance keeps it a click, on the
// panel and on a key, so the key editor opens instead of a selection being made.
TEST_F(SelectPanelDrag, ShakyClicksStayClicks) {
    const int jitter = std::max(1, QApplication::startDragDistance() - 1);
    QSignalSpy clicked(m_a, &QAbstractButton::clicked);
    m_b->setSelectedKey(true);
    for (const QPoint step : {QPoint(jitter, 0), QPoint(0, -jitter), QPoint(jitter / 2, jitter / 2)}) {
        QTest::mousePress(m_a, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(m_a, QPoint(10, 10) + QPoint(1, 0));
        QTest::mouseMove(m_a, QPoint(10, 10) + step);
        QTest::mouseRelease(m_a, Qt::LeftButton, {}, QPoint(10, 10) + step);
    }
    EXPECT_EQ(clicked.count(), 3) << "each press and release on the key is a click";
    EXPECT_FALSE(m_a->isSelectedKey());
    EXPECT_TRUE(m_b->isSelectedKey()) << "the selection is untouched";
    EXPECT_FALSE(m_panel->dragging());

    QTest::mousePress(m_panel.get(), Qt::LeftButton, {}, QPoint(250, 20));
    QTest::mouseMove(m_panel.get(), QPoint(250 + jitter, 20));
    QTest::mouseRelease(m_panel.get(), Qt::LeftButton, {}, QPoint(250 + jitter, 20));
    EXPECT_EQ(ends(), 0);

    // The drag distance itself starts a drag.
    const int distance = QApplication::startDragDistance();
    QTest::mousePress(m_a, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(m_a, QPoint(10 + distance - 2, 12));
    QTest::mouseRelease(m_a, Qt::LeftButton, {}, QPoint(10 + distance - 2, 12));
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_EQ(ends(), 1);
    EXPECT_TRUE(m_a->isSelectedKey());
    EXPECT_FALSE(m_b->isSelectedKey());
}

TEST(DeviceKeyButtonRepaint, KeysetHiddenRepaintsOnlyOnChange) {
    DeviceKeyButton key;
    const int start = key.repaintRequests();
    key.setKeysetImageHidden(true);  // already hidden
    EXPECT_EQ(key.repaintRequests(), start);
    key.setKeysetImageHidden(false);
    EXPECT_EQ(key.repaintRequests(), start + 1);
    key.setKeysetImageHidden(false);
    EXPECT_EQ(key.repaintRequests(), start + 1);
    key.setLightColour(0xFFFFFF, 255, true);
    EXPECT_EQ(key.repaintRequests(), start + 1) << "a light colour waits for the picture's own repaint";
}

}  // namespace
}  // namespace halvern::ui::test
