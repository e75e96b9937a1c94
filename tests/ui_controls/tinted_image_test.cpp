#include "ui/controls/tinted_image.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdlib>

#include "profile/data_folders.h"
#include "ui/controls/image_cache.h"

namespace halvern::ui {
namespace {

// What painting the colour over the image with SourceIn gives.
QImage paintedTint(const QImage& shape, QColor colour) {
    QImage out(shape.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(0, 0, shape);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), colour);
    return out;
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int shift : {0, 8, 16, 24}) {
                largest = std::max(largest, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
            }
        }
    }
    return largest;
}

class TintedImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        // Every alpha from clear to opaque, under colours that the tint must not let through.
        QImage shape(32, 16, QImage::Format_ARGB32);
        for (int y = 0; y < shape.height(); ++y) {
            for (int x = 0; x < shape.width(); ++x)
                shape.setPixel(x, y, qRgba(x * 8, 255 - y * 16, 90, x * 8 + y / 2));
        }
        ASSERT_TRUE(shape.save(m_folder.filePath(QStringLiteral("shape.png"))));
        setImageFolder(m_folder.path());
        m_shape = shape.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    void TearDown() override {
        setImageFolder(QString::fromStdString((GetResourceFolder() / "skin").string()));
    }

    QTemporaryDir m_folder;
    QImage m_shape;
};

TEST_F(TintedImageTest, GivesWhatSourceInGivesForEveryAlphaAndColour) {
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 1.0);
    TintedImage tint;
    for (const QColor colour : {QColor(255, 0, 0), QColor(12, 200, 77, 128), QColor(255, 255, 255, 1),
                                QColor(0, 0, 0), QColor(90, 180, 255, 255)}) {
        const QImage& tinted = tint.image(QStringLiteral("shape.png"), m_shape.size(), colour);
        ASSERT_EQ(tinted.size(), m_shape.size());
        EXPECT_LE(largestDifference(tinted, paintedTint(m_shape, colour)), 1)
            << colour.name(QColor::HexArgb).toStdString();
    }
}

TEST_F(TintedImageTest, FollowsTheSizeAndTellsAMissingImage) {
    TintedImage tint;
    EXPECT_EQ(tint.image(QStringLiteral("shape.png"), QSize(16, 8), Qt::red).size(), QSize(16, 8));
    EXPECT_EQ(tint.image(QStringLiteral("shape.png"), QSize(64, 32), Qt::red).size(), QSize(64, 32));
    EXPECT_TRUE(tint.image(QStringLiteral("missing.png"), QSize(16, 8), Qt::red).isNull());
    EXPECT_FALSE(tint.image(QStringLiteral("shape.png"), QSize(16, 8), Qt::red).isNull());
}

}  // namespace
}  // namespace halvern::ui
