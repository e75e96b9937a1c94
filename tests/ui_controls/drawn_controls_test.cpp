#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWindow>
#include <cmath>
#include <vector>

#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/wnd_host.h"

namespace halvern::ui::test {
namespace {

QRgb pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0x00FFFFFF;
}

QImage grabbed(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A point of the 100 x 100 ring, `degrees` clockwise from the bottom, halfway between its edges.
QPoint onRing(double degrees) {
    const double a = (90.0 + degrees) * M_PI / 180.0;  // screen angle, y down
    return {static_cast<int>(std::lround(50 + 45 * std::cos(a))),
            static_cast<int>(std::lround(50 + 45 * std::sin(a)))};
}

class CircleProgressRing : public ::testing::Test {
protected:
    void SetUp() override {
        m_ring.resize(100, 100);
        m_ring.setBackgroundColourText(QStringLiteral("#0000FF"));
        m_ring.setForegroundColourText(QStringLiteral("#FF0000"));
        QPalette light = m_ring.palette();
        light.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
        m_ring.setPalette(light);
    }
    CircleProgress m_ring;
};

TEST_F(CircleProgressRing, HalfTheRangeFillsHalfTheRingClockwiseFromTheBottom) {
    m_ring.setRange(0, 100);
    m_ring.setValue(50);
    EXPECT_EQ(m_ring.sweepDegrees(), 180);
    const QImage image = grabbed(m_ring);
    for (double at : {10.0, 45.0, 90.0, 135.0, 170.0}) {
        const QPoint p = onRing(at);
        EXPECT_EQ(pixel(image, p.x(), p.y()), 0xFF0000u) << at << " degrees from the bottom";
    }
    for (double at : {190.0, 225.0, 270.0, 315.0, 350.0}) {
        const QPoint p = onRing(at);
        EXPECT_EQ(pixel(image, p.x(), p.y()), 0x0000FFu) << at << " degrees from the bottom";
    }
    EXPECT_EQ(pixel(image, 50, 50), 0xFFFFFFu) << "a white disc inside the ring on a light panel";
    EXPECT_EQ(pixel(image, 50, 79), 0xFFFFFFu);
}

TEST_F(CircleProgressRing, SweepIsMeasuredFromTheMinimumAndSurvivesAnEmptyRange) {
    m_ring.setRange(100, 200);
    m_ring.setValue(150);
    EXPECT_EQ(m_ring.sweepDegrees(), 180);
    m_ring.setValue(200);
    EXPECT_EQ(m_ring.sweepDegrees(), 360);
    m_ring.setValue(100);
    EXPECT_EQ(m_ring.sweepDegrees(), 0);
    m_ring.setRange(0, 3);
    m_ring.setValue(1);
    EXPECT_EQ(m_ring.sweepDegrees(), 120);
    m_ring.setRange(5, 5);
    EXPECT_EQ(m_ring.sweepDegrees(), 0);
    const QImage image = grabbed(m_ring);  // must not divide by zero
    EXPECT_EQ(pixel(image, onRing(90).x(), onRing(90).y()), 0x0000FFu);
}

TEST_F(CircleProgressRing, DarkPanelShowsThroughTheRingAndBadColourTextIsIgnored) {
    QPalette dark = m_ring.palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x22, 0x26));
    m_ring.setPalette(dark);
    m_ring.setForegroundColourText(QStringLiteral("#GG0000"));
    m_ring.setForegroundColourText(QStringLiteral("12345"));
    EXPECT_EQ(m_ring.foregroundColour(), QColor(0xFF, 0, 0));
    m_ring.setValue(100);
    const QImage image = grabbed(m_ring);
    EXPECT_EQ(pixel(image, 50, 50), 0x202226u);
    EXPECT_EQ(pixel(image, onRing(300).x(), onRing(300).y()), 0xFF0000u);
}

TEST(AudioRecordStrip, LinesEveryOtherPixelAsHighAsTheirLevel) {
    AudioRecord strip;
    strip.resize(20, 16);
    EXPECT_EQ(strip.level(255), 255);
    EXPECT_EQ(strip.level(256), 0);
    EXPECT_EQ(strip.level(499), 0);
    EXPECT_EQ(strip.level(500), 0);

    strip.setLevel(1, AudioRecord::kFullLevel);
    strip.setLevel(2, AudioRecord::kFullLevel / 2);
    strip.setLevel(3, -40);
    strip.setLevel(4, 1 << 30);
    strip.setLevel(-1, 5);
    strip.setLevel(500, 5);
    const QImage image = grabbed(strip);
    auto column = [&](int x) {
        int black = 0;
        for (int y = 0; y < 16; ++y) black += pixel(image, x, y) == 0 ? 1 : 0;
        return black;
    };
    EXPECT_EQ(column(0), 0) << "the ramp 0..255 is below one pixel at this height";
    EXPECT_EQ(column(2), 16);
    EXPECT_EQ(column(3), 0);
    EXPECT_EQ(column(4), 8);
    EXPECT_EQ(pixel(image, 4, 7), 0xFFFFFFu);
    EXPECT_EQ(pixel(image, 4, 8), 0u) << "lines stand on the bottom";
    EXPECT_EQ(column(6), 0) << "a negative level draws nothing";
    EXPECT_EQ(column(8), 16) << "levels above full are drawn full";

    const std::vector<int32_t> many(700, AudioRecord::kFullLevel);
    strip.setLevels(many);
    EXPECT_EQ(strip.level(499), AudioRecord::kFullLevel);
}

class ChartDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        m_chart.resize(300, 200);
        QPalette p = m_chart.palette();
        p.setColor(QPalette::Window, Qt::white);
        m_chart.setPalette(p);
        m_chart.setAutoFillBackground(true);
    }
    ChartView m_chart;
};

TEST_F(ChartDrawing, PieSlicesRunClockwiseFromThreeOClockWithMatchingLegend) {
    m_chart.addEntry(QStringLiteral("first"), 1.0);
    m_chart.addEntry(QStringLiteral("second"), 1.0);
    EXPECT_EQ(m_chart.pieRect(), QRect(5, 5, 190, 190));
    const QImage image = grabbed(m_chart);
    const QRgb first = ChartView::paletteColour(0).rgb() & 0xFFFFFF;
    const QRgb second = ChartView::paletteColour(1).rgb() & 0xFFFFFF;
    EXPECT_EQ(pixel(image, 100, 150), first) << "the first half is below three o'clock";
    EXPECT_EQ(pixel(image, 100, 50), second);
    // Rows centred: (200 - 10 - 2 * 22) / 2 = 73, squares 10 pixels right of the disc.
    EXPECT_EQ(pixel(image, 214, 82), first);
    EXPECT_EQ(pixel(image, 214, 104), second);
}

TEST_F(ChartDrawing, DegenerateDataDrawsWithoutDividingByZero) {
    m_chart.addEntry(QStringLiteral("none"), 0.0);
    m_chart.addEntry(QStringLiteral("nan"), std::nan(""));
    m_chart.addEntry(QStringLiteral("negative"), -4.0);
    (void)grabbed(m_chart);
    m_chart.setViewName(QStringLiteral("histpgram"));
    m_chart.setPillarImageWidth(20);
    for (const QRect& r : m_chart.pillarRects()) EXPECT_EQ(r.height(), 0);
    (void)grabbed(m_chart);
    m_chart.resize(4, 4);
    m_chart.setViewName(QStringLiteral("pie"));
    EXPECT_TRUE(m_chart.pieRect().isEmpty());
    (void)grabbed(m_chart);
}

TEST_F(ChartDrawing, HistogramPillarsSpacedByTwiceTheFitAndScaledToTheLargest) {
    m_chart.resize(200, 125);
    m_chart.setMode(ChartView::Mode::Histogram);
    m_chart.setEntries({{QStringLiteral("a"), 1.0}, {QStringLiteral("b"), 2.0}, {QStringLiteral("c"), 4.0}});
    EXPECT_TRUE(m_chart.pillarRects().empty()) << "no pillar width: no pillars";
    (void)grabbed(m_chart);

    m_chart.setPillarImageWidth(20);  // gap 2 * (200 / 20) = 20; 100 pixels above the 25-pixel label band
    const std::vector<QRect> expected{{20, 75, 20, 25}, {60, 50, 20, 50}, {100, 0, 20, 100}};
    EXPECT_EQ(m_chart.pillarRects(), expected);
    m_chart.setShowText(false);
    EXPECT_EQ(m_chart.pillarRects().back(), QRect(100, 0, 20, 125));
    m_chart.setPillarImageWidth(-3);
    EXPECT_EQ(m_chart.pillarImageWidth(), 0);
}

TEST(ChartPalette, DistinctColoursUsedInTurn) {
    for (size_t i = 0; i < ChartView::kPalette.size(); ++i) {
        for (size_t j = i + 1; j < ChartView::kPalette.size(); ++j)
            EXPECT_NE(ChartView::paletteColour(i), ChartView::paletteColour(j)) << i << " and " << j;
    }
    EXPECT_EQ(ChartView::paletteColour(ChartView::kPalette.size()), ChartView::paletteColour(0));
}

TEST(WndHostWindow, HostedWindowFollowsTheControlsPlaceAndVisibility) {
    QWidget page;
    page.resize(400, 300);
    auto* host = new WndHost(&page);
    host->setGeometry(20, 30, 200, 100);
    auto* window = new QWindow;
    host->setHostedWindow(window);
    page.show();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(200, 100));

    host->resize(120, 80);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(120, 80));

    host->hide();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    host->show();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());

    host->setHostedWindow(nullptr);
    EXPECT_EQ(host->hostedWindow(), nullptr);
}

}  // namespace
}  // namespace halvern::ui::test
