#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimerEvent>
#include <memory>

#include "notify_recorder.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {
namespace {

LayoutLoader sourceSkin() {
    LayoutLoader loader;
    loader.setSkinFolder(QStringLiteral(HALVERN_SOURCE_RESOURCES "/skin"));
    return loader;
}

class MacroRows : public ::testing::Test {
protected:
    void SetUp() override {
        m_list = std::make_unique<QWidget>();
        for (int i = 0; i < 3; ++i) {
            m_rows[i] = new ComboEditContainerElement(&m_loader, m_list.get());
            m_rows[i]->setGeometry(0, 30 * i, 300, 28);
        }
        m_list->resize(300, 90);
    }

    LayoutLoader m_loader = sourceSkin();
    std::unique_ptr<QWidget> m_list;
    ComboEditContainerElement* m_rows[3] = {};
};

TEST_F(MacroRows, BuiltFromTheirLayoutWithTheirSubControlsOnce) {
    for (auto* row : m_rows) {
        ASSERT_NE(row->text1(), nullptr);
        ASSERT_NE(row->text2(), nullptr);
        ASSERT_NE(row->delayEdit(), nullptr);
    }
    ASSERT_TRUE(m_rows[0]->buildContent(m_loader));
    EXPECT_EQ(m_rows[0]->findChildren<QLineEdit*>(QStringLiteral("delay_edit")).size(), 1)
        << "a rebuild replaces the row's children";

    LayoutLoader nowhere;
    nowhere.setSkinFolder(QStringLiteral("/nonexistent"));
    ComboEditContainerElement empty(&nowhere);
    EXPECT_EQ(empty.text1(), nullptr);
    EXPECT_EQ(empty.delayEdit(), nullptr);
    ComboEditContainerElement unbuilt(nullptr);
    EXPECT_EQ(unbuilt.text2(), nullptr);
}

TEST_F(MacroRows, PressSelectsOneRowCtrlTogglesItsOwn) {
    NotifyRecorder recorder(*m_rows[1]);
    QTest::mouseClick(m_rows[0], Qt::LeftButton, {}, QPoint(150, 3));
    QTest::mouseClick(m_rows[1], Qt::LeftButton, {}, QPoint(150, 3));
    EXPECT_FALSE(m_rows[0]->isSelected());
    EXPECT_TRUE(m_rows[1]->isSelected());
    QTest::mouseClick(m_rows[2], Qt::LeftButton, Qt::ControlModifier, QPoint(150, 3));
    EXPECT_TRUE(m_rows[1]->isSelected());
    EXPECT_TRUE(m_rows[2]->isSelected());
    QTest::mouseClick(m_rows[1], Qt::LeftButton, Qt::ControlModifier, QPoint(150, 3));
    EXPECT_FALSE(m_rows[1]->isSelected());
    EXPECT_TRUE(m_rows[2]->isSelected());
    EXPECT_EQ(recorder.count(QStringLiteral("itemclick")), 2);
}

TEST_F(MacroRows, EnterTimerAndMenuNotify) {
    ComboEditContainerElement& row = *m_rows[0];
    NotifyRecorder recorder(row);
    QTest::keyClick(&row, Qt::Key_Return);
    ASSERT_EQ(recorder.seen().size(), 2u);
    EXPECT_EQ(recorder.seen()[0].type, QStringLiteral("itemactivate"));
    EXPECT_EQ(recorder.seen()[1].type, QStringLiteral("return"));

    QTimerEvent tick(7);
    QApplication::sendEvent(&row, &tick);
    ASSERT_EQ(recorder.count(QStringLiteral("timer")), 1);
    EXPECT_EQ(recorder.seen().back().wParam, 7);

    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(300, 200));
    QApplication::sendEvent(&row, &menu);
    EXPECT_EQ(recorder.count(QStringLiteral("menu")), 0) << "no context menu unless the row uses one";
    row.setContextMenuUsed(true);
    QApplication::sendEvent(&row, &menu);
    ASSERT_EQ(recorder.count(QStringLiteral("menu")), 1);
    EXPECT_EQ(recorder.seen().back().lParam, (200 << 16) | 300);

    EXPECT_FALSE(row.subControlNoted());
    m_list->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_list.get()));
    row.delayEdit()->setFocus();
    QTest::keyClick(row.delayEdit(), Qt::Key_Return);
    EXPECT_TRUE(row.subControlNoted()) << "Enter in the delay edit is noted";
    EXPECT_EQ(recorder.count(QStringLiteral("return")), 1) << "and is not the row's own";
}

class SharedProfileRow : public ::testing::Test {
protected:
    void SetUp() override {
        m_list.resize(200, 40);
        m_item = new CloudShareListItem(&m_list);
        m_item->setGeometry(0, 0, 200, 30);
        QPalette p = m_item->palette();
        p.setColor(QPalette::Midlight, Qt::black);
        m_item->setPalette(p);
    }
    void enter() {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(m_item, &event);
    }
    [[nodiscard]] QRgb corner() const { return m_item->grab().toImage().pixel(0, 0) & 0xFFFFFF; }

    QWidget m_list;
    CloudShareListItem* m_item = nullptr;
};

TEST_F(SharedProfileRow, HotUnselectedRowFramedOnlyWhenTheListHasAHotImage) {
    m_list.setProperty("itemlinecolor", QStringLiteral("#FF00FF"));
    enter();
    ASSERT_TRUE(m_item->isHot());
    EXPECT_FALSE(m_item->hotFrameColour().isValid()) << "no hot image on the list";

    m_list.setProperty("itemhotimage", QStringLiteral("list_hot.png"));
    EXPECT_EQ(m_item->hotFrameColour(), QColor(0xFF, 0x00, 0xFF));
    EXPECT_EQ(corner(), 0xFF00FFu);

    m_item->setSelected(true);
    EXPECT_FALSE(m_item->hotFrameColour().isValid());
    m_item->setSelected(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_item, &leave);
    EXPECT_FALSE(m_item->hotFrameColour().isValid());
    m_list.setProperty("itemlinecolor", QStringLiteral("purple-ish"));
    enter();
    EXPECT_FALSE(m_item->hotFrameColour().isValid()) << "an unreadable colour draws no frame";
}

TEST_F(SharedProfileRow, ActivationAndMenuNotify) {
    NotifyRecorder recorder(*m_item);
    QTest::mouseClick(m_item, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(m_item, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(m_item, Qt::Key_Enter);
    EXPECT_EQ(recorder.count(QStringLiteral("itemactivate")), 2);
    EXPECT_TRUE(m_item->isSelected());
    m_item->setContextMenuUsed(true);
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(70, 9));
    QApplication::sendEvent(m_item, &menu);
    ASSERT_EQ(recorder.count(QStringLiteral("menu")), 1);
    EXPECT_EQ(recorder.seen().back().lParam, (9 << 16) | 70);
}

}  // namespace
}  // namespace halvern::ui::test
