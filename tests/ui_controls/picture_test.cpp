#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "notify_recorder.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"

namespace halvern::ui::test {
namespace {

void sendEnter(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&w, &enter);
}

void sendLeave(QWidget& w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
}

// Pictures written once per test: left half red, right half green, bottom quarter blue.
class PannablePicture : public ::testing::Test {
protected:
    QString picture(int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(0, 0, width / 2, height, Qt::red);
        p.fillRect(width / 2, 0, width - width / 2, height, Qt::green);
        p.fillRect(0, height * 3 / 4, width, height - height * 3 / 4, Qt::blue);
        p.end();
        const QString path = m_dir.filePath(QStringLiteral("picture_%1x%2.png").arg(width).arg(height));
        image.save(path);
        return path;
    }

    void drag(QPoint from, std::initializer_list<QPoint> through) {
        QTest::mousePress(&m_button, Qt::LeftButton, {}, from);
        QPoint last = from;
        for (QPoint p : through) QTest::mouseMove(&m_button, last = p);
        QTest::mouseRelease(&m_button, Qt::LeftButton, {}, last);
    }

    QTemporaryDir m_dir;
    HandImgSelectButton m_button;
};

TEST_F(PannablePicture, DragMovesTheViewAgainstTheMouseAndStopsAtEveryEdge) {
    m_button.resize(100, 80);
    m_button.setHandImage(picture(400, 300));
    ASSERT_EQ(m_button.imageSize(), QSize(400, 300));
    EXPECT_TRUE(m_button.cropped());
    EXPECT_EQ(m_button.viewWindow(), QRect(0, 0, 100, 80));

    drag({50, 40}, {{20, 30}});
    EXPECT_EQ(m_button.viewWindow(), QRect(30, 10, 100, 80));

    drag({50, 40}, {{-2000, -2000}});
    EXPECT_EQ(m_button.viewWindow(), QRect(300, 220, 100, 80)) << "stops at the right and bottom edges";
    const QImage shown = m_button.grab().toImage();
    EXPECT_EQ(shown.pixel(50, 2) & 0xFFFFFF, 0x00FF00u) << "shows the image's right part";
    EXPECT_EQ(shown.pixel(50, 70) & 0xFFFFFF, 0x0000FFu);

    drag({50, 40}, {{60, 45}, {5000, 5000}});
    EXPECT_EQ(m_button.viewWindow(), QRect(0, 0, 100, 80)) << "stops at the left and top edges, same size";
    EXPECT_EQ(m_button.grab().toImage().pixel(50, 10) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(PannablePicture, PictureThatFitsDoesNotMove) {
    m_button.resize(100, 80);
    m_button.setHandImage(picture(100, 80));
    EXPECT_FALSE(m_button.cropped());
    drag({50, 40}, {{10, 10}, {90, 70}, {-300, 400}});
    EXPECT_EQ(m_button.viewWindow(), QRect(0, 0, 100, 80));

    m_button.setHandImage(picture(60, 300));  // narrower, taller: pans only up and down
    EXPECT_TRUE(m_button.cropped());
    drag({50, 40}, {{10, 0}});
    EXPECT_EQ(m_button.viewWindow(), QRect(0, 40, 100, 80));
}

TEST_F(PannablePicture, MissingPictureNeverMovesAndResizeKeepsTheViewInside) {
    m_button.resize(100, 80);
    m_button.setHandImage(m_dir.filePath(QStringLiteral("absent.png")));
    drag({50, 40}, {{10, 1}});
    EXPECT_EQ(m_button.viewWindow(), QRect(0, 0, 100, 80));
    (void)m_button.grab();

    m_button.setHandImage(picture(400, 300));
    m_button.show();  // a hidden control gets its resize only when shown
    drag({50, 40}, {{-2000, -2000}});
    m_button.resize(200, 100);
    EXPECT_EQ(m_button.viewWindow(), QRect(200, 200, 200, 100));
}

TEST_F(PannablePicture, SendsHoverNotificationsButNeverClicks) {
    m_button.resize(100, 80);
    NotifyRecorder recorder(m_button);
    QSignalSpy clicked(&m_button, &QAbstractButton::clicked);
    QTest::mouseClick(&m_button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(&m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_button.isDown());
    QTest::mouseRelease(&m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(m_button.isDown());
    sendEnter(m_button);
    EXPECT_TRUE(m_button.isHot());
    sendLeave(m_button);
    ASSERT_EQ(recorder.seen().size(), 2u);
    EXPECT_EQ(recorder.seen()[0].type, QStringLiteral("msenter"));
    EXPECT_EQ(recorder.seen()[1].type, QStringLiteral("msleave"));
}

TEST_F(PannablePicture, CursorNamesMapToCursorShapesOthersAreIgnored) {
    m_button.setCursorName(QStringLiteral("SIZEWE"));
    EXPECT_EQ(m_button.cursor().shape(), Qt::SizeHorCursor);
    m_button.setCursorName(QStringLiteral("ibeam"));
    EXPECT_EQ(m_button.cursor().shape(), Qt::IBeamCursor);
    m_button.setCursorName(QStringLiteral("sizeal"));
    m_button.setCursorName(QString());
    EXPECT_EQ(m_button.cursor().shape(), Qt::IBeamCursor);
}

TEST(HandImgButtonHover, EnterAndLeaveNotifyOnlyWhenEnabledAndClicksStayTheButtons) {
    HandImgButton button;
    button.resize(40, 40);
    NotifyRecorder recorder(button);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    sendEnter(button);
    EXPECT_TRUE(button.isHot());
    sendLeave(button);
    EXPECT_FALSE(button.isHot());
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 1);
    button.setEnabled(false);
    sendEnter(button);
    sendLeave(button);
    EXPECT_FALSE(button.isHot());
    ASSERT_EQ(recorder.seen().size(), 2u);
    EXPECT_EQ(recorder.seen()[0].type, QStringLiteral("msenter"));
    EXPECT_EQ(recorder.seen()[1].type, QStringLiteral("msleave"));
}

}  // namespace
}  // namespace halvern::ui::test
