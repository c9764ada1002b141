// Resampling against the brute-force reference.
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "tests/imaging/image_colours.h"
#include "tests/imaging/resample_reference.h"

namespace gz {
namespace {

using testing::referenceAreaAverage;
using testing::referencePixel;
using testing::referenceSpans;
using testing::Span;

// Colours with their alpha.
std::vector<uint32_t> coloursOf(const RasterImage& image) { return testing::coloursOf(image, true); }


// A source of the given depth with random content; indexed depths use
// random indexes of their default palette. alphaZeroShare: share of 32-bit
// pixels made fully transparent.
RasterImage randomImage(int bpp, int w, int h, unsigned seed, int alphaMode = 0)
{
    RasterImage image;
    EXPECT_TRUE(image.create(bpp, w, h, 0u));
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t v = rng();
            if (bpp <= 8)
                v %= static_cast<uint32_t>(image.paletteSize());
            else if (bpp == 32 && alphaMode == 0)
                v |= 0xFF000000;   // opaque
            else if (bpp == 32 && alphaMode == 1 && (v & 3) == 0)
                v &= 0x00FFFFFF;   // some transparent pixels among partial ones
            else if (bpp != 32)
                v &= 0xFFFFFF;
            image.setPixel(x, y, v);
        }
    }
    return image;
}

struct SizeCase {
    int sw, sh, dw, dh;
};
const SizeCase kSizes[] = {
    {7, 5, 3, 2},   {5, 7, 11, 13}, {1, 9, 1, 4},  {9, 1, 4, 1},    {1, 1, 5, 3},   {3, 1, 7, 1},
    {16, 16, 5, 5}, {13, 11, 13, 4}, {100, 3, 7, 9}, {2, 2, 1, 1},  {31, 17, 30, 18}, {4, 6, 6, 4},
    {1, 7, 3, 1},   {64, 48, 27, 19},
};

TEST(ResampleAreaAverage, MatchesTheReferenceForEverySizeAndSourceDepth)
{
    struct DepthCase {
        int bpp;
        unsigned flags;
        int alphaMode;   // 32 bits: 0 opaque, 1 mixed, 2 random alpha with no zero
        int resultBpp;
    };
    const DepthCase depths[] = {
        {24, kResampleAreaAverage, 0, 24},
        {24, kResampleAreaAverage | kResampleTo32Bits, 0, 32},
        {32, kResampleAreaAverage, 0, 32},
        {32, kResampleAreaAverage, 1, 32},
        {8, kResampleAreaAverage, 0, 24},
        {16, kResampleAreaAverage, 0, 24},
        {4, kResampleAreaAverage | kResampleTo32Bits, 0, 32},
    };
    unsigned seed = 1;
    for (const DepthCase& d : depths) {
        for (const SizeCase& s : kSizes) {
            RasterImage source = randomImage(d.bpp, s.sw, s.sh, seed++, d.alphaMode);
            RasterImage result;
            ASSERT_TRUE(result.resample(source, s.dw, s.dh, d.flags));
            ASSERT_EQ(result.bitsPerPixel(), d.resultBpp);
            ASSERT_EQ(result.width(), s.dw);
            ASSERT_EQ(result.height(), s.dh);
            const bool mixed = d.bpp == 32 && d.alphaMode == 1;
            std::vector<uint32_t> want = referenceAreaAverage(coloursOf(source), s.sw, s.sh, s.dw, s.dh, mixed);
            if (d.resultBpp == 24)
                for (uint32_t& c : want)
                    c &= 0xFFFFFF;
            EXPECT_EQ(coloursOf(result), want)
                << d.bpp << " bits, flags " << d.flags << ", " << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh;
        }
    }
}

// Pictures this large are averaged in two bands of rows on two threads; the
// alpha of each band is judged on its own, so the cases put the odd alpha in
// one band only, or give the bands different uniform alphas.
TEST(ResampleAreaAverage, LargePicturesMatchTheReferenceWhateverBandHoldsTheAlpha)
{
    constexpr int sw = 1100, sh = 800, dw = 700, dh = 560;
    struct Case {
        const char* name;
        int bpp;
        int y;              // row of the odd pixel, -1 for none
        uint32_t alphaTop;  // alpha of rows 0 .. sh/2-1
        uint32_t alphaBottom;
        uint32_t oddAlpha;
        bool mixed;
    };
    const Case cases[] = {
        {"24 bits", 24, -1, 0, 0, 0, false},
        {"opaque", 32, -1, 0xFF, 0xFF, 0, false},
        {"all transparent", 32, -1, 0, 0, 0, false},
        {"partial alpha in the first rows", 32, 3, 0xFF, 0xFF, 0x80, true},
        {"partial alpha in the last rows", 32, sh - 2, 0xFF, 0xFF, 0x80, true},
        {"transparent top, opaque bottom", 32, -1, 0, 0xFF, 0, true},
        {"one transparent pixel in an opaque picture", 32, sh / 2 + 7, 0xFF, 0xFF, 0, true},
    };
    unsigned seed = 77;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterImage source = randomImage(c.bpp, sw, sh, seed++);
        if (c.bpp == 32) {
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x) {
                    uint32_t a = y < sh / 2 ? c.alphaTop : c.alphaBottom;
                    if (y == c.y && x == sw / 3)
                        a = c.oddAlpha;
                    source.setPixel(x, y, (source.colourAt(x, y) & 0xFFFFFF) | (a << 24));
                }
        }
        RasterImage result;
        ASSERT_TRUE(result.resample(source, dw, dh, kResampleAreaAverage));
        // The reference is slow: rows at both ends, around the band border,
        // around the odd pixel and a spread of others.
        const std::vector<uint32_t> src = coloursOf(source);
        const std::vector<Span> xs = referenceSpans(sw, dw), ys = referenceSpans(sh, dh);
        int wrong = 0;
        for (int y = 0; y < dh; ++y) {
            const bool nearOdd = c.y >= 0 && std::abs(y * sh / dh - c.y) <= 2;
            if (!(y < 3 || y >= dh - 3 || std::abs(y - dh / 2) <= 3 || nearOdd || y % 41 == 0))
                continue;
            for (int x = 0; x < dw; ++x) {
                uint32_t want = referencePixel(src, sw, xs[x], ys[y], c.mixed);
                if (c.bpp == 24)
                    want &= 0xFFFFFF;
                if (result.colourAt(x, y) != want && wrong++ == 0)
                    ADD_FAILURE() << "first wrong pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ResampleAreaAverage, EnlargingTwoPixelsToThreeKeepsTheEndsAndAveragesTheMiddle)
{
    RasterImage source;
    ASSERT_TRUE(source.create(24, 2, 1, 0u));
    source.setPixel(0, 0, 0x204060);
    source.setPixel(1, 0, 0x6080A1);
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 3, 1, kResampleAreaAverage));
    EXPECT_EQ(result.colourAt(0, 0), 0x204060u);
    EXPECT_EQ(result.colourAt(1, 0), 0x406080u);   // 0xA1 + 0x60 = 0x101, halved and truncated
    EXPECT_EQ(result.colourAt(2, 0), 0x6080A1u);
}

TEST(ResampleAreaAverage, DownscaledPhotoSizeGivesTwentyFourBits)
{
    RasterImage source;
    ASSERT_TRUE(source.create(24, 1600, 1200));
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < source.byteSize(); ++i)
        source.bits()[i] = static_cast<uint8_t>(rng());
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 716, 537, kResampleAreaAverage));
    EXPECT_EQ(result.bitsPerPixel(), 24);
    EXPECT_EQ(result.width(), 716);
    EXPECT_EQ(result.height(), 537);
    // Spot checks against the reference.
    std::vector<uint32_t> src;
    src.reserve(1600 * 1200);
    for (int y = 0; y < 1200; ++y)
        for (const uint8_t* p = source.row(y); p < source.row(y) + 3 * 1600; p += 3)
            src.push_back(static_cast<uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16));
    const std::vector<Span> xs = referenceSpans(1600, 716), ys = referenceSpans(1200, 537);
    for (int y : {0, 1, 268, 535, 536})
        for (int x : {0, 1, 357, 714, 715})
            EXPECT_EQ(result.colourAt(x, y), referencePixel(src, 1600, xs[x], ys[y], false)) << x << "," << y;
}

TEST(ResampleAreaAverage, CoarsenedRatioStillGivesEveryPixelASourcePixel)
{
    // 32767 -> 32766 cannot keep its exact ratio in 31 bits; the last target
    // pixels then start past the source and must still copy its last pixel.
    RasterImage source;
    ASSERT_TRUE(source.create(24, 32767, 1, 0x336699u));
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 32766, 1, kResampleAreaAverage));
    for (int x = 0; x < 32766; ++x)
        ASSERT_EQ(result.colourAt(x, 0), 0x336699u) << x;
}

TEST(ResampleAreaAverage, TransparentPixelsDoNotDarkenTheColour)
{
    RasterImage source;
    ASSERT_TRUE(source.create(32, 2, 2, 0u));   // alpha 0, black
    source.setPixel(0, 0, 0x80FF0000);
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 1, 1, kResampleAreaAverage));
    // Colour only from the one visible pixel, alpha over all four.
    EXPECT_EQ(result.pixel(0, 0), 0x20FF0000u);
}

TEST(Resample, EqualSizeIsAnExactCopyOrItsThirtyTwoBitConversion)
{
    RasterImage source = randomImage(8, 9, 4, 3);
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 9, 4, kResampleAreaAverage));
    EXPECT_EQ(result.bitsPerPixel(), 8);
    EXPECT_EQ(std::memcmp(result.bits(), source.bits(), source.byteSize()), 0);

    ASSERT_TRUE(result.resample(source, 9, 4, kResampleAreaAverage | kResampleTo32Bits));
    EXPECT_EQ(result.bitsPerPixel(), 32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(result.colourAt(x, y) & 0xFFFFFF, source.colourAt(x, y));
}

TEST(ResampleNearest, TakesThePixelAtTheTruncatedPositionAndKeepsTheDepth)
{
    for (int bpp : {1, 4, 12, 24, 32}) {
        RasterImage source = randomImage(bpp, 7, 5, 11);
        for (const SizeCase& s : {SizeCase{7, 5, 3, 2}, SizeCase{7, 5, 15, 11}, SizeCase{7, 5, 1, 9}}) {
            RasterImage result;
            ASSERT_TRUE(result.resample(source, s.dw, s.dh, 0));
            ASSERT_EQ(result.bitsPerPixel(), bpp);
            for (int i = 0; i < s.dh; ++i)
                for (int k = 0; k < s.dw; ++k)
                    ASSERT_EQ(result.pixel(k, i), source.pixel(k * 7 / s.dw, i * 5 / s.dh))
                        << bpp << " bits " << k << "," << i;
            RasterImage wide;
            ASSERT_TRUE(wide.resample(source, s.dw, s.dh, kResampleTo32Bits));
            ASSERT_EQ(wide.bitsPerPixel(), 32);
            EXPECT_EQ(wide.colourAt(s.dw - 1, s.dh - 1) & 0xFFFFFF,
                      source.colourAt((s.dw - 1) * 7 / s.dw, (s.dh - 1) * 5 / s.dh) & 0xFFFFFF);
        }
    }
}

TEST(Resample, FailsOnEmptySourceAndBadTargetSizes)
{
    RasterImage empty, result, source = randomImage(24, 4, 4, 5);
    EXPECT_FALSE(result.resample(empty, 3, 3, kResampleAreaAverage));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_FALSE(result.resample(source, 0, 3, kResampleAreaAverage));
    EXPECT_EQ(result.error(), kImageErrorSize);
    EXPECT_FALSE(result.resample(source, 3, 32769, 0));
    EXPECT_EQ(result.error(), kImageErrorSize);
    // Resampling an image into itself works from a copy of it.
    ASSERT_TRUE(source.resample(source, 2, 2, kResampleAreaAverage));
    EXPECT_EQ(source.width(), 2);
}

}  // namespace
}  // namespace gz
