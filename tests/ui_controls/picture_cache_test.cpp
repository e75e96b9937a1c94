// The device picture behind the light spots is rendered once per size, not on every repaint.

#include "ui/controls/picture_cache.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace halvern::ui::test {
namespace {

TEST(PictureCache, RendersTheStyleSheetPictureOncePerSize) {
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("device.svg"));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="100" height="50"><rect width="100" height="50" fill="#00ff00"/></svg>)");
    file.close();

    QLabel label;
    label.resize(200, 200);
    label.setStyleSheet(QStringLiteral("image: url(%1); background: transparent;").arg(svg));
    PictureCache* cache = PictureCache::install(&label);
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->renders(), 1);
    EXPECT_FALSE(
        label.styleSheet().contains(QStringLiteral("image")));  // the style no longer scales it per paint
    EXPECT_TRUE(label.styleSheet().contains(QStringLiteral("background: transparent")));
    EXPECT_EQ(cache->pixmap().deviceIndependentSize().toSize(), QSize(200, 100));  // its proportions kept

    label.show();
    const int shown = cache->renders();
    for (int i = 0; i < 5; ++i) label.repaint();
    EXPECT_EQ(cache->renders(), shown);  // repaints copy the pixmap
    const QImage drawn = label.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(100, 100), QColor(0, 255, 0));  // the picture, centred
    EXPECT_EQ(drawn.pixelColor(100, 20).alpha(), 0);           // nothing above it
    label.resize(300, 300);
    EXPECT_EQ(cache->renders(), shown + 1);

    QLabel plain;
    plain.setStyleSheet(QStringLiteral("background: red;"));
    EXPECT_FALSE(PictureCache::install(&plain));
}

}  // namespace
}  // namespace halvern::ui::test
