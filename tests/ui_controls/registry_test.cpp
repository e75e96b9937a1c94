#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <set>

#include "ui/controls/attribute_text.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/control_registry.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/wnd_host.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {
namespace {

TEST(ControlRegistry, EveryClassNameIsRegisteredOnce) {
    LayoutLoader loader;
    registerCustomControls(loader);
    std::set<std::string_view> seen;
    for (std::string_view name : kCustomControlClasses) {
        EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
        EXPECT_TRUE(loader.knows(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))))
            << name;
    }
    EXPECT_TRUE(loader.knows(QString::fromLatin1(CloudShareListItem::kClassName)));
    EXPECT_TRUE(loader.knows(QString::fromLatin1(WndHost::kClassName)));
}

TEST(ControlRegistry, LayoutBuildsOurControlsWithTheirAttributes) {
    QTemporaryDir dir;
    QFile ui(dir.filePath(QStringLiteral("page.ui")));
    ASSERT_TRUE(ui.open(QIODevice::WriteOnly));
    ui.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <widget class="QWidget" name="page">
  <widget class="CircleProgress" name="ring"><property name="forecolor"><string>#FF3DA9FC</string></property></widget>
  <widget class="ChartView" name="chart">
   <property name="view"><string>histpgram</string></property>
   <property name="pillarimagewidth"><number>12</number></property>
   <property name="showtext"><bool>false</bool></property>
  </widget>
  <widget class="HandImgButton" name="hand"><property name="handimage"><string>hand.png</string></property></widget>
  <widget class="ComboEditContainerElement" name="row"/>
  <widget class="Wnd" name="host"/>
 </widget>
</ui>
)");
    ui.close();
    LayoutLoader loader;
    loader.setSkinFolder(QStringLiteral(HALVERN_SOURCE_RESOURCES "/skin"));
    registerCustomControls(loader);
    std::unique_ptr<QWidget> page(loader.load(ui.fileName()));
    ASSERT_NE(page, nullptr);

    auto* ring = page->findChild<CircleProgress*>(QStringLiteral("ring"));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->foregroundColour(), QColor(0x3D, 0xA9, 0xFC));
    auto* chart = page->findChild<ChartView*>(QStringLiteral("chart"));
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->mode(), ChartView::Mode::Histogram);
    EXPECT_EQ(chart->pillarImageWidth(), 12);
    EXPECT_FALSE(chart->showText());
    auto* hand = page->findChild<HandImgButton*>(QStringLiteral("hand"));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->handImage(), QStringLiteral("hand.png"));
    auto* row = page->findChild<ComboEditContainerElement*>(QStringLiteral("row"));
    ASSERT_NE(row, nullptr);
    EXPECT_NE(row->delayEdit(), nullptr) << "rows made by a layout build their own content";
    EXPECT_NE(page->findChild<WndHost*>(QStringLiteral("host")), nullptr);
}

TEST(AttributeText, NamesFollowTheClassCaseRuleAndValuesAreParsedStrictly) {
    HandImgButton hand;
    EXPECT_TRUE(applyAttribute(hand, u"HandImage", QStringLiteral("a.png")));
    EXPECT_EQ(hand.handImage(), QStringLiteral("a.png"));
    EXPECT_FALSE(applyAttribute(hand, u"nosuchattribute", QStringLiteral("1")));

    ChartView chart;
    EXPECT_FALSE(applyAttribute(chart, u"View", QStringLiteral("histpgram"))) << "chart names are exact";
    EXPECT_EQ(chart.mode(), ChartView::Mode::Pie);
    EXPECT_TRUE(applyAttribute(chart, u"view", QStringLiteral("histpgram")));
    EXPECT_EQ(chart.mode(), ChartView::Mode::Histogram);
    EXPECT_TRUE(applyAttribute(chart, u"pillarimagewidth", QStringLiteral(" 24 ")));
    EXPECT_FALSE(applyAttribute(chart, u"pillarimagewidth", QStringLiteral("24px")));
    EXPECT_FALSE(applyAttribute(chart, u"pillarimagewidth", QStringLiteral("99999999999")));
    EXPECT_EQ(chart.pillarImageWidth(), 24);
    EXPECT_TRUE(applyAttribute(chart, u"showtext", QStringLiteral("TRUE")));
    EXPECT_FALSE(chart.showText()) << "a flag is true exactly for \"true\"";

    EXPECT_EQ(parseColourText(u"#80FF0000"), QColor(255, 0, 0, 0x80));
    EXPECT_EQ(parseColourText(u"0x00FF00"), QColor(0, 255, 0));
    EXPECT_FALSE(parseColourText(u"#12345").has_value());
    EXPECT_FALSE(parseColourText(u"#-12345").has_value());
    EXPECT_FALSE(parseColourText(u"").has_value());
}

}  // namespace
}  // namespace halvern::ui::test
