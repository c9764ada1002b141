// Area averaging of 32-bit sources: uniform alpha must average exactly like
// the same colours at 24 bits, and one odd alpha byte anywhere, however late
// the averaging reaches it, switches the whole picture to the rule for
// transparent pixels.
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/imaging/image_colours.h"
#include "tests/imaging/resample_reference.h"

namespace gz {
namespace {

struct Size {
    int sw, sh, dw, dh;
};

// Small and large ratios on either axis, enlarging, and row lengths that are
// no multiple of sixteen bytes.
const Size kSizes[] = {
    {37, 29, 16, 11}, {100, 90, 7, 6}, {40, 3, 40, 1}, {9, 120, 4, 30},
    {20, 20, 45, 33}, {35, 300, 35, 9}, {300, 5, 9, 5}, {1, 17, 1, 5},
};

RasterImage randomColours(int bpp, int w, int h, unsigned seed, uint32_t alpha)
{
    RasterImage image;
    EXPECT_TRUE(image.create(bpp, w, h, 0u));
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, (rng() & 0xFFFFFF) | (bpp == 32 ? alpha << 24 : 0));
    return image;
}

TEST(ResampleAlpha, UniformAlphaAveragesTheColoursLikeTwentyFourBits)
{
    unsigned seed = 1;
    for (const Size& s : kSizes) {
        for (uint32_t alpha : {255u, 0u}) {
            const RasterImage wide = randomColours(32, s.sw, s.sh, seed, alpha);
            const RasterImage narrow = randomColours(24, s.sw, s.sh, seed++, 0);
            RasterImage fromWide, fromNarrow;
            ASSERT_TRUE(fromWide.resample(wide, s.dw, s.dh, kResampleAreaAverage));
            ASSERT_TRUE(fromNarrow.resample(narrow, s.dw, s.dh, kResampleAreaAverage | kResampleTo32Bits));
            ASSERT_EQ(fromWide.bitsPerPixel(), 32);
            for (int y = 0; y < s.dh; ++y)
                for (int x = 0; x < s.dw; ++x)
                    ASSERT_EQ(fromWide.pixel(x, y), (fromNarrow.pixel(x, y) & 0xFFFFFF) | alpha << 24)
                        << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh << ", alpha " << alpha << " at " << x
                        << "," << y;
        }
    }
}

TEST(ResampleAlpha, OneOddAlphaByteAnywhereSwitchesToTheTransparencyRule)
{
    struct Case {
        const char* name;
        uint32_t alpha;   // of every pixel but one
        int x, y;         // the one
        uint32_t oddAlpha;
    };
    const Case cases[] = {
        {"transparent pixel in the first row", 255, 5, 0, 0},
        {"transparent pixel in the middle", 255, 30, 20, 0},
        {"transparent pixel in the last row", 255, 49, 39, 0},
        {"opaque pixel in the last row of a transparent picture", 0, 0, 39, 255},
        {"half-transparent pixel in a transparent picture", 0, 17, 25, 128},
        {"half-transparent pixel in an opaque picture", 255, 44, 38, 100},
    };
    for (const Case& c : cases) {
        for (const Size s : {Size{50, 40, 20, 15}, Size{50, 40, 50, 7}, Size{50, 40, 63, 52}}) {
            RasterImage source = randomColours(32, s.sw, s.sh, 11, c.alpha);
            source.setPixel(c.x, c.y, (source.pixel(c.x, c.y) & 0xFFFFFF) | c.oddAlpha << 24);
            RasterImage result;
            ASSERT_TRUE(result.resample(source, s.dw, s.dh, kResampleAreaAverage));
            // The reference's rule for transparent pixels: colour only over
            // pixels with alpha, alpha over all.
            const std::vector<uint32_t> src = testing::coloursOf(source, true);
            const std::vector<testing::Span> xs = testing::referenceSpans(s.sw, s.dw),
                                             ys = testing::referenceSpans(s.sh, s.dh);
            for (int y = 0; y < s.dh; ++y)
                for (int x = 0; x < s.dw; ++x)
                    ASSERT_EQ(result.pixel(x, y), testing::referencePixel(src, s.sw, xs[x], ys[y], true))
                        << c.name << ", " << s.dw << "x" << s.dh << " at " << x << "," << y;
        }
    }
}

TEST(ResampleAlpha, AlphaOfSourceRowsNoTargetRowCoversStillCounts)
{
    // 8191 -> 4096 rows coarsens the ratio to 2047/1024, so the last three
    // source rows are never averaged; an opaque pixel there still makes the
    // transparent picture mixed, and then transparent pixels give no colour.
    RasterImage source = randomColours(32, 3, 8191, 4, 0);
    source.setPixel(1, 8190, 0xFF123456);
    RasterImage result;
    ASSERT_TRUE(result.resample(source, 2, 4096, kResampleAreaAverage));
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 2; ++x)
            ASSERT_EQ(result.pixel(x, y), 0u) << x << "," << y;

    // An opaque picture with a transparent pixel there averages as if opaque.
    RasterImage opaque = randomColours(32, 3, 8191, 4, 255), plain;
    ASSERT_TRUE(plain.resample(opaque, 2, 4096, kResampleAreaAverage));
    opaque.setPixel(1, 8190, 0x00123456);
    ASSERT_TRUE(result.resample(opaque, 2, 4096, kResampleAreaAverage));
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 2; ++x)
            ASSERT_EQ(result.pixel(x, y), plain.pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace gz
