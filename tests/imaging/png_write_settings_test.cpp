#include "imaging/png_write_settings.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "imaging/image_files.h"
#include "tests/imaging/image_colours.h"

namespace gz {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::coloursOf;

uint32_t be32(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

// The zlib stream of a PNG file: its IDAT chunks joined.
Bytes zlibStream(const Bytes& png)
{
    Bytes out;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = be32(&png[at]);
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
            out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                       png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
    return out;
}

Bytes inflated(const Bytes& stream, std::size_t expected)
{
    Bytes out(expected);
    uLongf size = static_cast<uLongf>(expected);
    EXPECT_EQ(uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
    out.resize(size);
    return out;
}

// The filter type byte that starts each row of the decompressed pixels.
std::set<int> filterTypesOf(const Bytes& png, int rowBytes, int rows)
{
    const std::size_t line = static_cast<std::size_t>(rowBytes) + 1;
    const Bytes pixels = inflated(zlibStream(png), line * static_cast<std::size_t>(rows));
    EXPECT_EQ(pixels.size(), line * static_cast<std::size_t>(rows));
    std::set<int> types;
    for (std::size_t at = 0; at < pixels.size(); at += line)
        types.insert(pixels[at]);
    return types;
}

// Smooth colour with edges and some noise, so each filter wins on some row.
RasterImage photoLike(int bpp, int w, int h)
{
    RasterImage img;
    EXPECT_TRUE(img.create(bpp, w, h, 0u));
    uint32_t seed = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint32_t noise = seed >> 29;
            if (bpp <= 8) {
                img.setPixel(x, y, ((x / 3 + y / 2) ^ static_cast<int>(noise)) & ((1 << bpp) - 1));
                continue;
            }
            const uint32_t r = (x * 255 / w + noise) & 0xFF, g = (y * 255 / h) & 0xFF, b = ((x > w / 2) ? 200 : 30) + noise;
            img.setPixel(x, y, r << 16 | g << 8 | b | (bpp == 32 ? 0xFF000000u : 0));
        }
    return img;
}

Bytes encode(const RasterImage& img, const PngWriteSettings& settings)
{
    Bytes file;
    EXPECT_EQ(saveImageMemoryWith(kImageFormatPng, img, settings, file), kImageFileOk) << imageFileLastError();
    return file;
}

const PngWriteSettings kVariety[] = {
    kPngDefaultSettings,
    kPngFastSettings,
    {0, kPngFilterNone, PngStrategy::Default},
    {1, kPngFilterSub, PngStrategy::Rle},
    {2, kPngFilterUp, PngStrategy::HuffmanOnly},
    {3, kPngFilterAverage, PngStrategy::Filtered},
    {9, kPngFilterPaeth, PngStrategy::Plain},
    {1, kPngFilterSub | kPngFilterUp, PngStrategy::Default},
    {6, kPngFiltersAll, PngStrategy::Default},
};

// Compression only changes the file, never the picture read back.
TEST(PngWriteSettings, EverySettingReadsBackTheSamePixels)
{
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        const RasterImage src = photoLike(bpp, 45, 23);
        for (const PngWriteSettings& s : kVariety) {
            const Bytes file = encode(src, s);
            RasterImage back;
            ASSERT_EQ(loadImageMemory(file.data(), file.size(), back), kImageFileOk) << bpp << " " << s.level;
            EXPECT_EQ(coloursOf(back), coloursOf(src)) << bpp << " level " << s.level << " filters " << s.filters;
            if (bpp <= 8) {
                EXPECT_EQ(back.bitsPerPixel(), bpp);
            }
        }
    }
}

// The written rows use only the filters asked for; palette rows stay
// unfiltered whatever is asked.
TEST(PngWriteSettings, RowsUseOnlyTheChosenFilters)
{
    struct Case { int filters; std::set<int> allowed; };
    const Case cases[] = {
        {kPngFilterNone, {0}},
        {kPngFilterSub, {1}},
        {kPngFilterUp, {2}},
        {kPngFilterAverage, {3}},
        {kPngFilterPaeth, {4}},
        {kPngFilterSub | kPngFilterUp, {1, 2}},
        {kPngFastSettings.filters, {}},
    };
    const RasterImage colour = photoLike(24, 64, 40);
    const RasterImage palette = photoLike(8, 64, 40);
    for (const Case& c : cases) {
        std::set<int> allowed = c.allowed;
        if (allowed.empty())   // the fast setting's own set
            for (int type = 0; type < 5; ++type)
                if (c.filters & (kPngFilterNone << type))
                    allowed.insert(type);
        const PngWriteSettings s{1, c.filters, PngStrategy::Default};
        for (int type : filterTypesOf(encode(colour, s), 64 * 3, 40))
            EXPECT_TRUE(allowed.count(type)) << "filters " << c.filters << " row filter " << type;
        EXPECT_EQ(filterTypesOf(encode(palette, s), 64, 40), std::set<int>{0}) << c.filters;
    }
    // Left to libpng, colour rows get its adaptive choice: more than one kind.
    EXPECT_GT(filterTypesOf(encode(colour, kPngDefaultSettings), 64 * 3, 40).size(), 1u);
}

// The zlib header's level field (0 fastest .. 3 best) shows the level used.
TEST(PngWriteSettings, LevelReachesZlib)
{
    struct Case { int level; int flevel; };
    const Case cases[] = {{-1, 2}, {0, 0}, {1, 0}, {2, 1}, {5, 1}, {6, 2}, {7, 3}, {9, 3}};
    const RasterImage src = photoLike(24, 30, 20);
    for (const Case& c : cases) {
        const Bytes stream = zlibStream(encode(src, {c.level, kPngFiltersDefault, PngStrategy::Default}));
        ASSERT_GE(stream.size(), 2u);
        EXPECT_EQ(stream[1] >> 6, c.flevel) << c.level;
    }
}

// Left at their defaults the settings write what saveImageFile writes; the
// fast setting is for the writers that ask for it.
TEST(PngWriteSettings, DefaultsAreTheOrdinaryWriter)
{
    const RasterImage src = photoLike(24, 80, 50);
    Bytes ordinary;
    ASSERT_EQ(saveImageMemory(kImageFormatPng, src, ordinary), kImageFileOk);
    EXPECT_EQ(encode(src, kPngDefaultSettings), ordinary);
    EXPECT_NE(encode(src, kPngFastSettings), ordinary);

    // Other formats ignore the PNG settings.
    Bytes bmp, bmpWith;
    ASSERT_EQ(saveImageMemory(kImageFormatBmp, src, bmp), kImageFileOk);
    ASSERT_EQ(saveImageMemoryWith(kImageFormatBmp, src, kPngFastSettings, bmpWith), kImageFileOk);
    EXPECT_EQ(bmpWith, bmp);

    // And the file entry point writes the same as the memory one.
    const std::string path = ::testing::TempDir() + "gz_png_settings.png";
    ASSERT_EQ(saveImageFileWith(path, src, kPngFastSettings), kImageFileOk);
    RasterImage back;
    ASSERT_EQ(loadImageFile(path, back), kImageFileOk);
    EXPECT_EQ(coloursOf(back), coloursOf(src));
    std::remove(path.c_str());
}

}  // namespace
}  // namespace gz
