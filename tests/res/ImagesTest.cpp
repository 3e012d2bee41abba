// The compiled-in icon and bitmaps: each id finds its picture, with the size, depth and palette
// that the window expects.

#include "res/Resources.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

std::uint32_t Le(const QByteArray& bytes, int offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes[offset + i]);
    return value;
}

QByteArray ResourceBytes(UINT id) {
    EXPECT_TRUE(platform::EnsureGuiApplication());
    QFile file(QString::fromUtf8(res::FindImageResource(id)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bitmaps as files hold them (BITMAPINFOHEADER after the 14-byte file header; a palette size of
// 0 means none). The welcome banner (157) lies on pure white to its edges, which the window turns
// into the button face; the link banners keep white in their palettes.
TEST(ImagesTest, BitmapsHaveTheirSizesDepthsAndPalettes) {
    for (const auto& [id, width, height, bits, colours] : {std::tuple{157u, 324, 47, 24, 0},
                                                           {25012u, 100, 60, 8, 256},
                                                           {25013u, 100, 60, 8, 129},
                                                           {25014u, 100, 60, 8, 65}}) {
        SCOPED_TRACE(id);
        const QByteArray bytes = ResourceBytes(id);
        ASSERT_TRUE(bytes.startsWith("BM") && bytes.size() >= 54);
        const std::tuple<int, int, int, int> header(Le(bytes, 18, 4), Le(bytes, 22, 4),
                                                    Le(bytes, 28, 2), Le(bytes, 46, 4));
        EXPECT_EQ(header, std::tuple(width, height, bits, colours));
        QImage image;
        ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
        EXPECT_EQ(image.colorTable().contains(qRgb(255, 255, 255)), id != 157);
        for (int x = 0; id == 157 && x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (x < 2 || x >= width - 2 || y == 0 || y == height - 1) {
                    ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << ", " << y;
                }
    }
}

// The icon is one 32 x 32 image, with transparent corners.
TEST(ImagesTest, IconIsOne32By32ImageWithTransparentCorners) {
    EXPECT_TRUE(platform::EnsureGuiApplication());
    const QIcon icon(QString::fromUtf8(res::FindImageResource(128)));
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
    const QImage image = icon.pixmap(32, 32).toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(16, 16)), 255);
}

} // namespace
