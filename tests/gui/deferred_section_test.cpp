#include "ui/toolkit/deferred_section.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "gui_support.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::ui {
namespace {

using test::makeLoader;

// Two stacked pages: the first built with the layout, the second (marked) when first shown; inside the
// second a part of its own, and a label that asks to stay hidden.
constexpr char kLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>root</class>
 <widget class="QWidget" name="root">
  <layout class="QVBoxLayout" name="root_box">
   <item>
    <widget class="QStackedWidget" name="pages">
     <widget class="QWidget" name="first_page">
      <layout class="QVBoxLayout" name="first_box">
       <item><widget class="QLabel" name="first_label"><property name="text"><string>one</string></property></widget></item>
      </layout>
     </widget>
     <widget class="QWidget" name="second_page">
      <property name="buildOnShow" stdset="0"><bool>true</bool></property>
      <property name="hidesPicture" stdset="0"><bool>true</bool></property>
      <layout class="QVBoxLayout" name="second_box">
       <item><widget class="QLabel" name="second_label"><property name="text"><string>&lt;b&gt;two&lt;/b&gt;</string></property></widget></item>
       <item><widget class="QLabel" name="hidden_label"><property name="visible"><bool>false</bool></property></widget></item>
       <item>
        <widget class="QWidget" name="inner_part">
         <property name="buildOnShow" stdset="0"><bool>true</bool></property>
         <layout class="QVBoxLayout" name="inner_box">
          <item><widget class="QLabel" name="inner_label"/></item>
         </layout>
        </widget>
       </item>
      </layout>
     </widget>
     <widget class="QWidget" name="third_page">
      <property name="buildOnShow" stdset="0"><bool>false</bool></property>
      <layout class="QVBoxLayout" name="third_box">
       <item><widget class="QLabel" name="third_label"/></item>
      </layout>
     </widget>
    </widget>
   </item>
  </layout>
 </widget>
 <resources/>
 <connections/>
</ui>
)";

TEST(DeferredSection, AMarkedWidgetIsCutOutWithItsChildrenOnly) {
    const SplitLayout split = splitDeferredParts(QString::fromLatin1(kLayout));
    ASSERT_EQ(split.parts.size(), 1U);  // the inner part stays inside its outer one
    EXPECT_EQ(split.parts[0].name, QStringLiteral("second_page"));
    EXPECT_TRUE(split.parts[0].children.startsWith(QStringLiteral("<layout")));
    EXPECT_TRUE(split.parts[0].children.contains(QStringLiteral("inner_part")));
    EXPECT_FALSE(split.parts[0].children.contains(QStringLiteral("hidesPicture")));
    // The widgets the part makes, its inner part's included; a property's name is none of them.
    EXPECT_EQ(split.parts[0].widgets,
              (QStringList{QStringLiteral("second_label"), QStringLiteral("hidden_label"),
                           QStringLiteral("inner_part"), QStringLiteral("inner_label")}));
    EXPECT_FALSE(split.layout.contains(QStringLiteral("second_label")));
    EXPECT_TRUE(split.layout.contains(QStringLiteral("hidesPicture")));  // the widget keeps its properties
    EXPECT_TRUE(split.layout.contains(QStringLiteral("third_label")));   // marked false: built at once
    EXPECT_TRUE(split.layout.contains(QStringLiteral("first_label")));

    const QString broken = QStringLiteral("<ui><widget name=\"x\"><property name=\"buildOnShow\">");
    const SplitLayout unchanged = splitDeferredParts(broken);
    EXPECT_EQ(unchanged.layout, broken);
    EXPECT_TRUE(unchanged.parts.empty());
}

TEST(DeferredSection, APartIsBuiltOnceWhenFirstShownAndShowsLikeTheRest) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("parts.ui")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_GT(file.write(kLayout), 0);
    file.close();
    const LayoutLoader loader = makeLoader();
    std::unique_ptr<QWidget> root(loader.load(file.fileName()));
    ASSERT_TRUE(root);
    auto* pages = findControl<QStackedWidget>(root.get(), QStringLiteral("pages"));
    QWidget* second = findControl(root.get(), QStringLiteral("second_page"));
    ASSERT_TRUE(pages && second);
    DeferredSection* part = DeferredSection::of(second);
    ASSERT_TRUE(part);
    EXPECT_TRUE(part->holds(QStringLiteral("inner_label")));
    EXPECT_TRUE(findControl(root.get(), QStringLiteral("third_label")));
    QSignalSpy built(part, &DeferredSection::sectionBuilt);

    root->show();  // the first page shows; the second stays as it was loaded
    EXPECT_TRUE(second->findChildren<QWidget*>().isEmpty());
    EXPECT_FALSE(part->built());
    EXPECT_TRUE(second->property("hidesPicture").toBool());

    pages->setCurrentIndex(1);
    ASSERT_EQ(built.count(), 1);
    auto* label = findControl<QLabel>(root.get(), QStringLiteral("second_label"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->parentWidget(), second);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->textFormat(), Qt::PlainText);  // as every label the loader makes
    EXPECT_FALSE(findControl(root.get(), QStringLiteral("hidden_label"))->isVisible());
    // The part inside was shown with its parent and built in turn.
    EXPECT_TRUE(findControl(root.get(), QStringLiteral("inner_label")));
    EXPECT_TRUE(DeferredSection::pendingUnder(root.get()).empty());

    pages->setCurrentIndex(0);
    pages->setCurrentIndex(1);
    EXPECT_EQ(built.count(), 1);
    EXPECT_EQ(root->findChildren<QLabel*>(QStringLiteral("second_label")).size(), 1);
    EXPECT_FALSE(part->build());
}

}  // namespace
}  // namespace halvern::ui
