// The visible part of a zoomed picture: every board pixel shows the picture
// pixels the mapping puts under it, for every picture depth.
#include "board/zoomed_picture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace gz {
namespace {

// Each pixel's colour names its position: red = x, green = y, blue the
// high bits of both.
uint32_t gridColour(int x, int y)
{
    return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) |
           static_cast<uint32_t>(((x >> 8) & 0x0F) | ((y >> 8) & 0x0F) << 4);
}

RasterImage gridPicture(int w, int h)
{
    RasterImage pic;
    pic.create(24, w, h, 0u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pic.setPixel(x, y, gridColour(x, y));
    return pic;
}

// The picture pixel a board pixel shows when magnified: the one toPicture
// names.
TEST(ZoomedPicture, MagnifiedPixelsAreThePicturePixelsUnderThem)
{
    const RasterImage pic = gridPicture(700, 500);
    struct Case {
        const char* what;
        PictureMapping mapping;
        BoardRect target;
    };
    const Case cases[] = {
        {"eight times, picture at the origin", {8, 1, 0, 0}, {0, 0, 64, 40}},
        {"eight times, picture far up and left", {8 << 20, 1 << 20, -3001, -1203}, {140, 40, 300, 200}},
        {"1.25 times", {5, 4, 100, 50}, {100, 50, 400, 300}},
        {"an odd scale of the zoom's form", {1234567, 1 << 20, -77, 13}, {10, 20, 500, 400}},
        {"one to one, shifted", {1, 1, -350, -250}, {0, 0, 350, 250}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RasterImage out;
        ASSERT_TRUE(sampleZoomedPicture(pic, c.mapping, c.target, out));
        ASSERT_EQ(out.width(), c.target.w);
        ASSERT_EQ(out.height(), c.target.h);
        ASSERT_EQ(out.bitsPerPixel(), 32);
        int wrong = 0;
        for (int j = 0; j < c.target.h; ++j)
            for (int i = 0; i < c.target.w; ++i) {
                const PolygonPoint p = c.mapping.toPicture({c.target.x + i, c.target.y + j});
                if (out.pixel(i, j) != gridColour(p.x, p.y) && wrong++ == 0)
                    ADD_FAILURE() << "board pixel " << i << "," << j << " should show " << p.x << ","
                                  << p.y;
            }
        EXPECT_EQ(wrong, 0);
    }
}

// Reduced, a board pixel is the rounded mean of the picture pixels whose
// positions toPicture gives from it up to the next board pixel.
TEST(ZoomedPicture, ReducedPixelsAverageThePicturePixelsUnderThem)
{
    RasterImage pic;
    pic.create(24, 40, 30, 0u);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            pic.setPixel(x, y, static_cast<uint32_t>(((x * 7 + y * 3) % 256) << 16 | ((x * y) % 256) << 8 | (y * 8)));
    const PictureMapping m{2, 5, 10, 20};   // 0.4: 2 or 3 picture pixels a side
    const BoardRect target{10, 20, 16, 12};
    RasterImage out;
    ASSERT_TRUE(sampleZoomedPicture(pic, m, target, out));
    for (int j = 0; j < target.h; ++j)
        for (int i = 0; i < target.w; ++i) {
            const int x0 = (i * 5) / 2, x1 = std::min(40, ((i + 1) * 5) / 2);
            const int y0 = (j * 5) / 2, y1 = std::min(30, ((j + 1) * 5) / 2);
            uint32_t sum[3] = {};
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    for (int k = 0; k < 3; ++k)
                        sum[k] += (pic.pixel(x, y) >> (8 * k)) & 0xFF;
            const uint32_t n = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
            uint32_t expected = 0;
            for (int k = 0; k < 3; ++k)
                expected |= ((sum[k] + n / 2) / n) << (8 * k);
            EXPECT_EQ(out.pixel(i, j), expected) << i << "," << j;
        }
}

// Every depth shows the same colours: indexed and 16-bit pictures go
// through their palette or channels, 32-bit alpha is not shown.
TEST(ZoomedPicture, EveryDepthShowsItsColours)
{
    struct Case {
        int depth;
        uint32_t stored;   // in the picture's own terms
    };
    const Case cases[] = {{1, 1}, {4, 9}, {8, 10}, {16, 0xF800}, {24, 0x123456}, {32, 0xFF654321}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        RasterImage pic;
        ASSERT_TRUE(pic.create(c.depth, 30, 20, 0u));
        pic.setPixel(7, 5, c.stored);
        const uint32_t colour = pic.colourAt(7, 5) & 0xFFFFFF;
        const uint32_t background = pic.colourAt(0, 0) & 0xFFFFFF;
        ASSERT_NE(colour, background);
        for (const PictureMapping& m : {PictureMapping{4, 1, 0, 0}, PictureMapping{1, 1, 0, 0}}) {
            RasterImage out;
            ASSERT_TRUE(sampleZoomedPicture(pic, m, {0, 0, 30 * m.numerator, 20 * m.numerator}, out));
            const int s = m.numerator;
            EXPECT_EQ(out.pixel(7 * s, 5 * s), colour);
            EXPECT_EQ(out.pixel(7 * s + s - 1, 5 * s + s - 1), colour);
            EXPECT_EQ(out.pixel(8 * s, 5 * s), background);
            EXPECT_EQ(out.pixel(7 * s, 5 * s - 1), background);
        }
    }
}

TEST(ZoomedPicture, NothingToSampleGivesNoImage)
{
    RasterImage out;
    out.create(32, 5, 5, 0u);
    EXPECT_FALSE(sampleZoomedPicture(RasterImage(), {2, 1, 0, 0}, {0, 0, 10, 10}, out));
    EXPECT_TRUE(out.isEmpty());
    const RasterImage pic = gridPicture(10, 10);
    EXPECT_FALSE(sampleZoomedPicture(pic, {2, 1, 0, 0}, {0, 0, 0, 10}, out));
    EXPECT_TRUE(out.isEmpty());
}

}  // namespace
}  // namespace gz
