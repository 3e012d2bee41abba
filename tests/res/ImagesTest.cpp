// The compiled-in icon and bitmaps: each id finds its picture, with the size, depth and palette
// that the window expects.

#include "res/Resources.h"

#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage Image(UINT id) {
    EXPECT_TRUE(platform::EnsureGuiApplication());
    return QImage(QString::fromUtf8(res::FindImageResource(id)), "BMP");
}

// The welcome banner (157) is true colour and lies on pure white to its edges, which the window
// turns into the button face; the link banners keep white in their palettes.
TEST(ImagesTest, BitmapsHaveTheirSizesDepthsAndPalettes) {
    for (const auto& [id, width, height, colours] : {std::tuple{157u, 324, 47, 0},
                                                     {25012u, 100, 60, 256},
                                                     {25013u, 100, 60, 129},
                                                     {25014u, 100, 60, 65}}) {
        SCOPED_TRACE(id);
        const QImage image = Image(id);
        EXPECT_EQ(std::tuple(image.width(), image.height(), image.depth(), image.colorCount()),
                  std::tuple(width, height, colours ? 8 : 32, colours));
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
