#include "imaging/image_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/codec_common.h"

namespace gz {
namespace {

// Pixel values row by row, in the image's own terms.
std::vector<uint32_t> valuesOf(const RasterImage& img)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            out.push_back(img.pixel(x, y));
    return out;
}

RasterImage fromRows(const std::vector<std::vector<uint32_t>>& rows)
{
    RasterImage img;
    EXPECT_TRUE(img.create(24, static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0u));
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            img.setPixel(static_cast<int>(x), static_cast<int>(y), rows[y][x]);
    return img;
}

// The eight codes on a 3 x 2 picture, written out by hand from the EXIF
// definitions (code 6: the stored top row is the right-hand side).
TEST(ImageOrientation, EightCodesOnAHandDrawnPicture)
{
    enum : uint32_t { a = 0xA, b = 0xB, c = 0xC, d = 0xD, e = 0xE, f = 0xF };
    const std::vector<std::vector<uint32_t>> stored = {{a, b, c}, {d, e, f}};
    struct Case { int orientation; std::vector<std::vector<uint32_t>> upright; };
    const Case cases[] = {
        {1, {{a, b, c}, {d, e, f}}},
        {2, {{c, b, a}, {f, e, d}}},
        {3, {{f, e, d}, {c, b, a}}},
        {4, {{d, e, f}, {a, b, c}}},
        {5, {{a, d}, {b, e}, {c, f}}},
        {6, {{d, a}, {e, b}, {f, c}}},
        {7, {{f, c}, {e, b}, {d, a}}},
        {8, {{c, f}, {b, e}, {a, d}}},
        // Not orientations: left alone.
        {0, {{a, b, c}, {d, e, f}}},
        {9, {{a, b, c}, {d, e, f}}},
        {-6, {{a, b, c}, {d, e, f}}},
    };
    for (const Case& k : cases) {
        RasterImage img = fromRows(stored);
        orientImage(img, k.orientation);
        const RasterImage want = fromRows(k.upright);
        EXPECT_EQ(img.width(), want.width()) << k.orientation;
        EXPECT_EQ(img.height(), want.height()) << k.orientation;
        EXPECT_EQ(valuesOf(img), valuesOf(want)) << k.orientation;
    }
}

// The reference turns by the three mirror operations, each a plain loop:
// 2 = H, 3 = H+V, 4 = V, 5 = T, 6 = T then H, 7 = T then H+V, 8 = T then V.
RasterImage referenceTurn(const RasterImage& src, int orientation)
{
    const bool transpose = orientation >= 5;
    const bool mirrorH = orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7;
    const bool mirrorV = orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8;
    const int w = transpose ? src.height() : src.width();
    const int h = transpose ? src.width() : src.height();
    RasterImage out;
    EXPECT_TRUE(out.create(src.bitsPerPixel(), w, h, 0u));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int tx = mirrorH ? w - 1 - x : x;   // position before the mirrors
            const int ty = mirrorV ? h - 1 - y : y;
            out.setPixel(x, y, transpose ? src.pixel(ty, tx) : src.pixel(tx, ty));
        }
    return out;
}

// Every depth, every code, on sizes that cross the 64-pixel blocks of the
// byte path and on single rows and columns.
TEST(ImageOrientation, EveryDepthAgreesWithTheMirrorReference)
{
    struct Size { int w, h; };
    const Size sizes[] = {{67, 70}, {1, 9}, {9, 1}, {1, 1}, {130, 3}};
    for (int bpp : {1, 2, 4, 8, 12, 15, 16, 24, 32}) {
        for (const Size& s : sizes) {
            RasterImage src;
            ASSERT_TRUE(src.create(bpp, s.w, s.h, 0u));
            const uint32_t mask = bpp <= 8 ? (1u << bpp) - 1 : 0xFFFFFFFFu;
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x)
                    src.setPixel(x, y, static_cast<uint32_t>(x * 2654435761u ^ y * 40503u ^ (x * y)) & mask);
            for (int o = 1; o <= 8; ++o) {
                RasterImage img;
                ASSERT_TRUE(img.copyFrom(src));
                orientImage(img, o);
                const RasterImage want = referenceTurn(src, o);
                ASSERT_EQ(img.bitsPerPixel(), bpp);
                ASSERT_EQ(img.width(), want.width()) << bpp << " " << o;
                ASSERT_EQ(img.height(), want.height()) << bpp << " " << o;
                EXPECT_EQ(valuesOf(img), valuesOf(want)) << bpp << " bits, " << s.w << "x" << s.h << ", code " << o;
            }
        }
    }
}

TEST(ImageOrientation, PaletteAndProgressCallbackStay)
{
    RasterImage img;
    ASSERT_TRUE(img.create(4, 5, 3, 0u));
    for (int i = 0; i < 16; ++i)
        img.palette()[i] = static_cast<uint32_t>(0x010203 * i + 0x400000);
    img.setPixel(4, 0, 9);
    int user = 0;
    const ProgressFn fn = [](void*, int, bool*) {};
    img.setProgress(fn, &user);
    orientImage(img, 6);
    ASSERT_EQ(img.width(), 3);
    ASSERT_EQ(img.height(), 5);
    EXPECT_EQ(img.pixel(2, 4), 9u);   // top-right corner turns to the bottom-right
    EXPECT_EQ(img.colourAt(2, 4), 0x010203u * 9 + 0x400000);
    EXPECT_EQ(img.palette()[15], 0x010203u * 15 + 0x400000);
    EXPECT_EQ(img.progressFn(), fn);
    EXPECT_EQ(img.progressUser(), &user);
}

// Quarter turns need a second picture within the memory limit; mirrors
// work in place and need none.
TEST(ImageOrientation, TurnedCopyOverTheMemoryLimitLeavesThePicture)
{
    RasterImage img;
    ASSERT_TRUE(img.create(24, 100, 50, 0x123456u));
    img.setPixel(0, 0, 0xABCDEF);
    setImageMemoryLimit(10000);
    EXPECT_THROW(orientImage(img, 8), EGraphicsPicSize);
    EXPECT_EQ(img.width(), 100);
    EXPECT_EQ(img.colourAt(0, 0), 0xABCDEFu);
    orientImage(img, 3);
    setImageMemoryLimit(std::size_t{1} << 30);
    EXPECT_EQ(img.colourAt(99, 49), 0xABCDEFu);
    EXPECT_EQ(img.colourAt(0, 0), 0x123456u);

    RasterImage empty;
    orientImage(empty, 6);
    EXPECT_TRUE(empty.isEmpty());
}

}  // namespace
}  // namespace gz
