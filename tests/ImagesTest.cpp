// The compiled-in icon and bitmaps: each id finds its picture, with the size, depth and palette
// that the window expects.

#include "platform/Win.h"

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
    const char* path = platform::FindImageResource(id);
    if (path == nullptr)
        return {};
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bitmaps as files hold them (BITMAPINFOHEADER after the 14-byte file header), and as Qt decodes
// them; a palette size of 0 means none.
TEST(ImagesTest, BitmapsHaveTheirSizesDepthsAndPalettes) {
    ASSERT_TRUE(platform::EnsureGuiApplication());
    struct Case {
        UINT id;
        int width, height, bits, colours;
    };
    for (const Case& c : {Case{157, 324, 47, 24, 0}, Case{25012, 100, 60, 8, 256},
                          Case{25013, 100, 60, 8, 129}, Case{25014, 100, 60, 8, 65}}) {
        SCOPED_TRACE(c.id);
        const QByteArray bytes = ResourceBytes(c.id);
        ASSERT_GE(bytes.size(), 54);
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(int(Le(bytes, 18, 4)), c.width);
        EXPECT_EQ(int(Le(bytes, 22, 4)), c.height);
        EXPECT_EQ(int(Le(bytes, 28, 2)), c.bits);
        EXPECT_EQ(int(Le(bytes, 46, 4)), c.colours);

        QImage image;
        ASSERT_TRUE(image.loadFromData(bytes, "BMP"));
        EXPECT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(image.colorCount(), c.colours);
        if (c.id != 157 && c.id != 25012) { // the link banners that must keep white have it
            EXPECT_TRUE(image.colorTable().contains(qRgb(255, 255, 255)));
        }
    }
}

// The welcome banner lies on pure white: its corners and edges are (255, 255, 255) exactly.
TEST(ImagesTest, WelcomeBannerBackgroundIsPureWhite) {
    ASSERT_TRUE(platform::EnsureGuiApplication());
    QImage image;
    ASSERT_TRUE(image.loadFromData(ResourceBytes(157), "BMP"));
    for (int x = 0; x < image.width(); ++x)
        for (int y : {0, image.height() - 1})
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << ", " << y;
    for (int y = 0; y < image.height(); ++y)
        for (int x : {0, 1, image.width() - 2, image.width() - 1})
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << ", " << y;
}

// The icon is one 32 x 32 image of 256 colours and loads as such, with transparent corners.
TEST(ImagesTest, IconIsOne32By32ImageOf256Colours) {
    ASSERT_TRUE(platform::EnsureGuiApplication());
    const QByteArray bytes = ResourceBytes(128);
    ASSERT_GE(bytes.size(), 62);
    EXPECT_EQ(Le(bytes, 4, 2), 1u);                                // one image
    EXPECT_EQ(Le(bytes, 6, 1), 32u);                               // width
    EXPECT_EQ(Le(bytes, 7, 1), 32u);                               // height
    EXPECT_EQ(Le(bytes, 12, 2), 8u);                               // bits per pixel
    EXPECT_EQ(Le(bytes, 22 + 32, 4), 256u);                        // palette entries
    EXPECT_EQ(bytes.size(), 22 + 40 + 256 * 4 + 32 * 32 + 32 * 4); // colours and AND mask

    const QIcon icon(QString::fromUtf8(platform::FindImageResource(128)));
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
    const QImage image = icon.pixmap(32, 32).toImage();
    EXPECT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(16, 16)), 255);
}

} // namespace
