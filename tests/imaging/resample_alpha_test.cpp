// Area averaging of 32-bit sources: uniform alpha must average exactly like
// the same colours at 24 bits, and one odd alpha byte anywhere, however late
// the averaging reaches it, switches the whole picture to the rule for
// transparent pixels.
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

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

// The span of target pixel i on an axis of source size s and target size d,
// in 1/256 source pixel.
std::pair<int64_t, int64_t> spanOf(int64_t s, int64_t d, int64_t i)
{
    int64_t num = s, den = d;
    if (s < d) {
        num = s - 1;
        den = d - 1;
    }
    while (num > 0 && den > 0 && num % 2 == 0 && den % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    while (num * d * 256 > 0x7FFFFFFF) {
        num /= 2;
        den /= 2;
    }
    if (den == 0)
        den = 1;
    int64_t start = i * 256 * num / den, end = (i + 1) * 256 * num / den;
    end = std::min(std::max(end, start + 256), s * 256);
    start = std::max<int64_t>(0, std::min(start, end - 256));
    return {start, end};
}

// Weight of source pixel p in a span.
int64_t weightIn(std::pair<int64_t, int64_t> span, int64_t p)
{
    return std::max<int64_t>(0, std::min(span.second, (p + 1) * 256) - std::max(span.first, p * 256));
}

// Transparency rule, by the definition: per source column the covered rows
// are averaged (colour only over pixels with alpha, alpha over all), then
// the same across the covered columns, truncating after each pass.
uint32_t transparencyRule(const RasterImage& source, int dw, int dh, int x, int y)
{
    const auto xs = spanOf(source.width(), dw, x), ys = spanOf(source.height(), dh, y);
    int64_t colour[3] = {}, colourWeight = 0, alpha = 0;
    for (int64_t sx = xs.first >> 8; sx < source.width() && weightIn(xs, sx) > 0; ++sx) {
        int64_t columnColour[3] = {}, columnWeight = 0, columnAlpha = 0;
        for (int64_t sy = ys.first >> 8; sy < source.height() && weightIn(ys, sy) > 0; ++sy) {
            const uint32_t p = source.pixel(static_cast<int>(sx), static_cast<int>(sy));
            const int64_t w = weightIn(ys, sy);
            columnAlpha += w * (p >> 24);
            if (p >> 24 == 0)
                continue;
            columnWeight += w;
            for (int c = 0; c < 3; ++c)
                columnColour[c] += w * ((p >> (8 * c)) & 255);
        }
        const int64_t w = weightIn(xs, sx);
        alpha += w * (columnAlpha / (ys.second - ys.first));
        if (columnWeight == 0)
            continue;
        colourWeight += w;
        for (int c = 0; c < 3; ++c)
            colour[c] += w * (columnColour[c] / columnWeight);
    }
    uint32_t pixel = static_cast<uint32_t>(alpha / (xs.second - xs.first)) << 24;
    for (int c = 0; c < 3; ++c)
        pixel |= static_cast<uint32_t>(colourWeight ? colour[c] / colourWeight : 0) << (8 * c);
    return pixel;
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
            for (int y = 0; y < s.dh; ++y)
                for (int x = 0; x < s.dw; ++x)
                    ASSERT_EQ(result.pixel(x, y), transparencyRule(source, s.dw, s.dh, x, y))
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
