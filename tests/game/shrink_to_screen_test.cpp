#include "game/shrink_to_screen.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/image_colours.h"

namespace gz {
namespace {

TEST(ScreenFitSize, FitsWithinTheScreenKeepingTheAspectRatio)
{
    struct Case { int w, h; PictureSize fit; };
    const Case cases[] = {
        {1, 1, {1, 1}},
        {3840, 2160, {3840, 2160}},           // fits exactly: unchanged
        {2000, 2160, {2000, 2160}},           // fits
        {3841, 2160, {3840, 2159}},           // 2159.44
        {3840, 2161, {3838, 2160}},           // 3838.22
        {4000, 3000, {2880, 2160}},           // 4:3 photo
        {6000, 4000, {3240, 2160}},           // 3:2 photo
        {7680, 4320, {3840, 2160}},           // 16:9 exactly
        {8000, 2000, {3840, 960}},            // wide panorama
        {3000, 4000, {1620, 2160}},           // portrait
        {4000, 4000, {2160, 2160}},           // square
        {32768, 1, {3840, 1}},                // a strip keeps at least one row
        {1, 32768, {1, 2160}},
        {32768, 32768, {2160, 2160}},
        {3849, 2165, {3840, 2160}},           // 2159.95 rounds up, still fits
    };
    for (const Case& c : cases) {
        const PictureSize got = screenFitSize(c.w, c.h);
        EXPECT_EQ(got.width, c.fit.width) << c.w << "x" << c.h;
        EXPECT_EQ(got.height, c.fit.height) << c.w << "x" << c.h;
        EXPECT_LE(got.width, kScreenFitWidth);
        EXPECT_LE(got.height, kScreenFitHeight);
    }
}

TEST(ShrinkToScreen, PictureThatFitsIsNotTouched)
{
    for (int bpp : {8, 24, 32}) {
        RasterImage img;
        ASSERT_TRUE(img.create(bpp, 3840, 3, 0u));
        img.setPixel(5, 1, bpp == 8 ? 7 : 0x123456);
        const std::vector<uint32_t> before = testing::coloursOf(img, true);
        const uint8_t* bits = img.bits();
        EXPECT_FALSE(shrinkToScreen(img)) << bpp;
        EXPECT_EQ(img.bits(), bits) << bpp;   // the same pixels, not a copy
        EXPECT_EQ(img.bitsPerPixel(), bpp);
        EXPECT_EQ(testing::coloursOf(img, true), before);
    }
    RasterImage empty;
    EXPECT_FALSE(shrinkToScreen(empty));
}

// Area averaging: a block of sharp colour stays that colour, and every
// target pixel is the mean of the source pixels it covers. 4320 wide
// shrinks by 9/8, so target column k covers source columns 1.125 k ..
// 1.125 (k + 1).
TEST(ShrinkToScreen, LargePictureIsAreaAveraged)
{
    struct Case { int bpp; int outBpp; };
    const Case cases[] = {{8, 24}, {24, 24}, {32, 32}};
    for (const Case& c : cases) {
        RasterImage img;
        ASSERT_TRUE(img.create(c.bpp, 4320, 243, 0u));
        if (c.bpp == 8) {
            img.palette()[1] = 0x00FF00;
            img.palette()[2] = 0x0000FF;
        }
        const uint32_t green = c.bpp == 8 ? 1 : (c.bpp == 32 ? 0xFF00FF00u : 0x00FF00u);
        const uint32_t blue = c.bpp == 8 ? 2 : (c.bpp == 32 ? 0xFF0000FFu : 0x0000FFu);
        img.fillRect(0, 0, 2161, 243, green);
        img.fillRect(2161, 0, 2159, 243, blue);
        ASSERT_TRUE(shrinkToScreen(img)) << c.bpp;
        EXPECT_EQ(img.width(), 3840);
        EXPECT_EQ(img.height(), 216);
        EXPECT_EQ(img.bitsPerPixel(), c.outBpp);
        for (int y : {0, 100, 215}) {
            EXPECT_EQ(img.colourAt(0, y) & 0xFFFFFF, 0x00FF00u) << c.bpp;
            EXPECT_EQ(img.colourAt(1919, y) & 0xFFFFFF, 0x00FF00u) << c.bpp;
            EXPECT_EQ(img.colourAt(1921, y) & 0xFFFFFF, 0x0000FFu) << c.bpp;
            EXPECT_EQ(img.colourAt(3839, y) & 0xFFFFFF, 0x0000FFu) << c.bpp;
            // Column 1920 covers source 2160 .. 2161.125: 8/9 green, 1/9 blue.
            const uint32_t seam = img.colourAt(1920, y);
            EXPECT_NEAR(static_cast<int>(seam >> 8 & 0xFF), 227, 2) << c.bpp;
            EXPECT_NEAR(static_cast<int>(seam & 0xFF), 28, 2) << c.bpp;
        }
        if (c.bpp == 32) {
            EXPECT_EQ(img.colourAt(1920, 0) >> 24, 0xFFu);
        }
    }
}

}  // namespace
}  // namespace gz
