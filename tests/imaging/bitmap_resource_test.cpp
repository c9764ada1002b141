// The stored bitmap form: round trips, malformed headers, embedded bitmaps.
#include "imaging/bitmap_resource.h"
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace gz {
namespace {

void put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

RasterImage randomImage(int bpp, int w, int h)
{
    RasterImage image;
    EXPECT_TRUE(image.create(bpp, w, h, 0u));
    std::mt19937 rng(static_cast<unsigned>(bpp * 1000 + w));
    for (std::size_t i = 0; i < image.byteSize(); ++i)
        image.bits()[i] = static_cast<uint8_t>(rng());
    for (int i = 0; i < image.paletteSize(); ++i)
        image.palette()[i] = rng() & 0xFFFFFF;
    return image;
}

TEST(BitmapResource, EveryDepthSurvivesARoundTrip)
{
    for (int bpp : {1, 2, 4, 8, 12, 15, 16, 24, 32}) {
        const RasterImage original = randomImage(bpp, 13, 5);
        const std::vector<uint8_t> file = encodeBitmapResource(original);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        RasterImage back;
        ASSERT_TRUE(parseBitmapResource(file.data(), file.size(), back)) << bpp;
        EXPECT_EQ(back.bitsPerPixel(), bpp);
        EXPECT_EQ(back.width(), 13);
        EXPECT_EQ(back.height(), 5);
        EXPECT_EQ(std::memcmp(back.bits(), original.bits(), original.byteSize()), 0) << bpp;
        EXPECT_EQ(back.paletteSize(), original.paletteSize());
        for (int i = 0; i < original.paletteSize(); ++i)
            EXPECT_EQ(back.palette()[i], original.palette()[i]) << bpp << " entry " << i;
    }
    EXPECT_TRUE(encodeBitmapResource(RasterImage()).empty());
}

TEST(BitmapResource, TopDownRowsAreTurnedAround)
{
    RasterImage original = randomImage(24, 4, 3);
    std::vector<uint8_t> file = encodeBitmapResource(original);
    put32(file, 22, static_cast<uint32_t>(-3));
    RasterImage back;
    ASSERT_TRUE(parseBitmapResource(file.data(), file.size(), back));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(back.row(y), original.row(2 - y), 12), 0) << y;
}

TEST(BitmapResource, MalformedFilesAreRefusedAndLeaveTheImageEmpty)
{
    const RasterImage eight = randomImage(8, 6, 4);
    const std::vector<uint8_t> good = encodeBitmapResource(eight);
    struct Case {
        const char* name;
        std::size_t at;         // 0: no patch
        uint32_t value;
        std::size_t size;       // 0: whole file
    };
    const Case cases[] = {
        {"shorter than the headers", 0, 0, 53},
        {"pixel bits cut short", 0, 0, good.size() - 1},
        {"not BM", 0, 0x4D43, 0},   // "CM"
        {"zero width", 18, 0, 0},
        {"width above 32768", 18, 32769, 0},
        {"negative width", 18, static_cast<uint32_t>(-6), 0},
        {"zero height", 22, 0, 0},
        {"unsupported depth", 28, 7, 0},
        {"planes not 1", 26, 2 | (8u << 16), 0},
        {"compressed", 30, 1, 0},
        {"more colours than the depth has", 46, 300, 0},
        {"palette overlapping the bits", 10, 14 + 40 + 100, 0},
        {"bits offset past the end", 10, 0xFFFFFFF0u, 0},
        {"info header larger than the file", 14, 0x7FFFFFFF, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = good;
        if (c.at == 0 && c.value) {
            file[0] = static_cast<uint8_t>(c.value);
            file[1] = static_cast<uint8_t>(c.value >> 8);
        } else if (c.at) {
            put32(file, c.at, c.value);
        }
        RasterImage image;
        ASSERT_TRUE(image.create(24, 2, 2));
        EXPECT_FALSE(parseBitmapResource(file.data(), c.size ? c.size : file.size(), image)) << c.name;
        EXPECT_TRUE(image.isEmpty()) << c.name;
    }
}

TEST(BitmapResource, LoadsTheEmbeddedStarsWithTheirAlpha)
{
    struct Case {
        const char* name;
        int w, h;
    };
    for (const Case& c : {Case{"149", 100, 95}, Case{"150", 75, 71}, Case{"151", 50, 47}}) {
        RasterImage star;
        ASSERT_TRUE(star.loadBitmapResource(c.name)) << c.name;
        EXPECT_EQ(star.bitsPerPixel(), 32);
        EXPECT_EQ(star.width(), c.w);
        EXPECT_EQ(star.height(), c.h);
        EXPECT_EQ(star.pixel(0, 0) >> 24, 0u) << "corner is transparent";
        EXPECT_GT(star.pixel(c.w / 2, c.h / 2) >> 24, 0u) << "centre is visible";
    }
    RasterImage missing;
    ASSERT_TRUE(missing.create(24, 2, 2));
    EXPECT_FALSE(missing.loadBitmapResource("NO SUCH BITMAP"));
    EXPECT_TRUE(missing.isEmpty());
}

}  // namespace
}  // namespace gz
