// Storage, pixel formats, palettes, rectangles, copies and alpha compositing.
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace gz {
namespace {

TEST(RasterImageCreate, RefusesBadSizesAndDepthsWithTheirErrorCode)
{
    struct Case {
        int bpp, w, h, error;
    };
    const Case cases[] = {
        {24, 32769, 10, kImageErrorSize}, {24, 10, 32769, kImageErrorSize}, {24, -1, 10, kImageErrorSize},
        {24, 0, 10, kImageErrorSize},     {7, 3, 2, kImageErrorFormat},     {0, 3, 2, kImageErrorFormat},
        {33, 3, 2, kImageErrorFormat},    {64, 3, 2, kImageErrorFormat},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(24, 4, 4));
        EXPECT_FALSE(image.create(c.bpp, c.w, c.h)) << c.bpp << " " << c.w << "x" << c.h;
        EXPECT_EQ(image.error(), c.error) << c.bpp << " " << c.w << "x" << c.h;
        EXPECT_TRUE(image.isEmpty());
        EXPECT_FALSE(image.fillRect(0, 0, 1, 1, 0));
    }
    RasterImage image;
    ASSERT_TRUE(image.create(1, kMaxImageSide, 1));
    EXPECT_EQ(image.error(), kImageErrorNone);
}

TEST(RasterImageCreate, RowsArePaddedToFourBytesAndStoredBottomUp)
{
    struct Case {
        int bpp, w, stride;
    };
    const Case cases[] = {
        {1, 1, 4},   {1, 33, 8},  {2, 16, 4},  {2, 17, 8},  {4, 9, 8},   {8, 5, 8},   {12, 1, 4},
        {12, 3, 8},  {12, 5, 8},  {12, 6, 12}, {15, 3, 8},  {16, 2, 4},  {24, 1, 4},  {24, 5, 16},
        {32, 3, 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RasterImage::strideFor(c.bpp, c.w), c.stride) << c.bpp << " bits, width " << c.w;
        RasterImage image;
        ASSERT_TRUE(image.create(c.bpp, c.w, 3, 0u));
        EXPECT_EQ(image.stride(), c.stride);
        EXPECT_EQ(image.byteSize(), static_cast<std::size_t>(c.stride) * 3);
        // The top row is the last one in memory.
        EXPECT_EQ(image.row(0), image.bits() + 2 * c.stride);
        EXPECT_EQ(image.row(2), image.bits());
    }
    EXPECT_EQ(RasterImage::strideFor(7, 10), -1);
}

// One pixel written through each format's routine: the bytes it leaves and
// the colour read back, worked out by hand from the layouts.
TEST(RasterImagePixels, EachFormatStoresAndReadsBackItsBytes)
{
    struct Case {
        int bpp;
        int x;                        // pixel written, in row 0
        uint32_t value;               // colour or index handed in
        std::vector<uint8_t> bytes;   // start of row 0 afterwards
        uint32_t readBack;            // pixel() afterwards
    };
    const Case cases[] = {
        {1, 0, 1, {0x80, 0, 0, 0}, 1},
        {1, 9, 1, {0x00, 0x40, 0, 0}, 1},
        {2, 1, 3, {0x30, 0, 0, 0}, 3},
        {2, 3, 2, {0x02, 0, 0, 0}, 2},
        {4, 0, 0xA, {0xA0, 0, 0, 0}, 0xA},
        {4, 3, 0x7, {0x00, 0x07, 0, 0}, 0x7},
        {8, 2, 0xC3, {0, 0, 0xC3, 0}, 0xC3},
        // 12 bits: nibbles R G B per pixel, high nibble first; channels widen by x17.
        {12, 0, 0x1A2B3C, {0x12, 0x30, 0x00, 0x00}, 0x112233},
        {12, 1, 0xF0E0D0, {0x00, 0x0F, 0xED, 0x00}, 0xFFEEDD},
        {12, 2, 0x405060, {0x00, 0x00, 0x00, 0x45, 0x60, 0x00}, 0x445566},
        // 0RRRRRGG GGGBBBBB little-endian; 5 bits widen by bit copy.
        {15, 1, 0xFF8040, {0, 0, 0x08, 0x7E}, 0xFF8442},
        {15, 0, 0x080808, {0x21, 0x04}, 0x080808},
        // RRRRRGGG GGGBBBBB little-endian.
        {16, 0, 0xFF8040, {0x08, 0xFC}, 0xFF8242},
        {16, 1, 0x04FC04, {0, 0, 0xE0, 0x07}, 0x00FF00},
        {24, 1, 0x123456, {0, 0, 0, 0x56, 0x34, 0x12}, 0x123456},
        {32, 1, 0x80123456, {0, 0, 0, 0, 0x56, 0x34, 0x12, 0x80}, 0x80123456},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(c.bpp, 8, 2, 0u));
        image.setPixel(c.x, 0, c.value);
        ASSERT_LE(c.bytes.size(), static_cast<std::size_t>(image.stride()));
        EXPECT_EQ(std::vector<uint8_t>(image.row(0), image.row(0) + c.bytes.size()), c.bytes)
            << c.bpp << " bits, x " << c.x;
        EXPECT_EQ(image.pixel(c.x, 0), c.readBack) << c.bpp << " bits, x " << c.x;
        // Neighbours and the other row stay untouched.
        for (int x = 0; x < 8; ++x) {
            if (x != c.x) {
                EXPECT_EQ(image.pixel(x, 0), 0u) << c.bpp << " bits, x " << x;
            }
        }
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(image.pixel(x, 1), 0u);
    }
}

TEST(RasterImagePalette, CreateSetsTheDefaultPaletteOfTheDepth)
{
    struct Case {
        int bpp, size;
        std::vector<std::pair<int, uint32_t>> entries;
    };
    const Case cases[] = {
        {1, 2, {{0, 0x000000}, {1, 0xFFFFFF}}},
        {2, 4, {{1, 0x008000}, {2, 0x800000}, {3, 0xFFFFFF}}},
        {4, 16, {{1, 0x000080}, {7, 0xC0C0C0}, {8, 0x808080}, {12, 0xFF0000}, {15, 0xFFFFFF}}},
        {8,
         256,
         {{9, 0x0000FF},
          {16, 0x000000},
          {17, 0x101010},
          {31, 0xF0F0F0},
          {32, 0x141414},          // cube k = 0
          {33, 0x14143F},          // k = 1: blue 63
          {38, 0x143F14},          // k = 6: green 63
          {68, 0x3F1414},          // k = 36: red 63
          {247, 0xEBEBEB},         // k = 215: 20 + 43 * 5
          {248, 0xE0D020},         // red 64*3+32, green 32*6+16, blue (64*248+32)&255
          {255, 0xE0F0E0}}},
        {24, 0, {}},
        {32, 0, {}},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(c.bpp, 2, 2));
        EXPECT_EQ(image.paletteSize(), c.size) << c.bpp;
        for (auto [index, colour] : c.entries)
            EXPECT_EQ(image.palette()[index], colour) << c.bpp << " bits, entry " << index;
    }
}

TEST(RasterImageCreate, FillValueZeroClearsEightBitsUsesTheLowByteOthersFill)
{
    RasterImage image;
    ASSERT_TRUE(image.create(8, 5, 3, 0x1234u));
    for (std::size_t i = 0; i < image.byteSize(); ++i)
        ASSERT_EQ(image.bits()[i], 0x34) << i;   // padding too

    ASSERT_TRUE(image.create(24, 5, 3, 0u));
    for (std::size_t i = 0; i < image.byteSize(); ++i)
        ASSERT_EQ(image.bits()[i], 0) << i;

    ASSERT_TRUE(image.create(16, 5, 3, 0xFF0000u));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image.colourAt(x, y), 0xFF0000u);

    ASSERT_TRUE(image.create(4, 5, 3, 9u));
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(image.colourAt(x, 2), 0x0000FFu);
}

TEST(RasterImageCreate, WrapsCallerMemoryWithoutOwningIt)
{
    std::vector<uint8_t> memory(static_cast<std::size_t>(RasterImage::strideFor(32, 10)) * 4, 0xEE);
    {
        RasterImage image;
        ASSERT_TRUE(image.create(32, 10, 4, 0x11223344u, memory.data()));
        EXPECT_EQ(image.bits(), memory.data());
        image.release();   // must not free the vector's memory
        EXPECT_TRUE(image.isEmpty());
        ASSERT_TRUE(image.create(32, 10, 4, std::nullopt, memory.data()));
    }
    EXPECT_EQ(memory[0], 0x44);   // still ours, and filled as 0xAARRGGBB = B G R A
    EXPECT_EQ(memory[3], 0x11);
}

TEST(RasterImageCopy, CopyFromDuplicatesBytesPaletteAndProgress)
{
    RasterImage source;
    ASSERT_TRUE(source.create(4, 7, 5, 0u));
    source.palette()[3] = 0x123456;
    source.setPixel(6, 4, 3);
    source.setPixel(0, 0, 15);
    int user = 0;
    source.setProgress([](void*, int, bool*) {}, &user);

    RasterImage copy;
    ASSERT_TRUE(copy.create(24, 100, 100));
    ASSERT_TRUE(copy.copyFrom(source));
    EXPECT_EQ(copy.bitsPerPixel(), 4);
    EXPECT_EQ(copy.width(), 7);
    EXPECT_EQ(copy.height(), 5);
    EXPECT_EQ(std::memcmp(copy.bits(), source.bits(), source.byteSize()), 0);
    EXPECT_EQ(copy.colourAt(6, 4), 0x123456u);
    EXPECT_EQ(copy.progressUser(), &user);
    EXPECT_NE(copy.bits(), source.bits());

    RasterImage empty;
    EXPECT_FALSE(copy.copyFrom(empty));
    EXPECT_TRUE(copy.isEmpty());
    ASSERT_TRUE(copy.copyFrom(source));
    EXPECT_TRUE(copy.copyFrom(copy));   // copying onto itself keeps the image
    EXPECT_EQ(copy.colourAt(6, 4), 0x123456u);
}

TEST(RasterImageCopy, MoveTransfersStorage)
{
    RasterImage a;
    ASSERT_TRUE(a.create(24, 3, 3, 0x00FF00u));
    RasterImage b(std::move(a));
    EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(b.colourAt(2, 2), 0x00FF00u);
    RasterImage c;
    c = std::move(b);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(c.colourAt(0, 0), 0x00FF00u);
}

// Marks with '#' the pixels of a 24-bit image equal to colour.
std::vector<std::string> picture(const RasterImage& image, uint32_t colour)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += image.colourAt(x, y) == colour ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(RasterImageFillRect, NegativeExtentsEndAtThePointAndEveryEdgeClips)
{
    struct Case {
        int x, y, w, h;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {1, 1, 2, 2, {"......", ".##...", ".##...", "......"}},
        {3, 2, -3, -2, {"......", ".###..", ".###..", "......"}},
        {-2, -1, 4, 3, {"##....", "##....", "......", "......"}},
        {4, 2, 10, 10, {"......", "......", "....##", "....##"}},
        {-5, -5, 20, 20, {"######", "######", "######", "######"}},
        {6, 0, 3, 3, {"......", "......", "......", "......"}},
        {0, 4, 3, 3, {"......", "......", "......", "......"}},
        {2, 1, 0, 3, {"......", "......", "......", "......"}},
        {0, 0, -1, -1, {"#.....", "......", "......", "......"}},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(24, 6, 4, 0u));
        EXPECT_TRUE(image.fillRect(c.x, c.y, c.w, c.h, 0xFFFFFF));
        EXPECT_EQ(picture(image, 0xFFFFFF), c.expected) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    RasterImage wide;
    ASSERT_TRUE(wide.create(24, 20, 1, 0u));
    wide.fillRect(10, 0, -3, 1, 0xFFFFFF);
    EXPECT_EQ(picture(wide, 0xFFFFFF)[0], "........###.........");
}

TEST(RasterImageFillRect, FillsSubBytePixelsWithoutTouchingNeighbours)
{
    for (int bpp : {1, 2, 4, 12}) {
        RasterImage image;
        ASSERT_TRUE(image.create(bpp, 37, 2, 0u));
        const uint32_t value = bpp == 12 ? 0xFFFFFF : 1;
        image.fillRect(3, 0, 30, 1, value);
        for (int x = 0; x < 37; ++x)
            EXPECT_EQ(image.pixel(x, 0) != 0, x >= 3 && x <= 32) << bpp << " bits, x " << x;
        for (int x = 0; x < 37; ++x)
            EXPECT_EQ(image.pixel(x, 1), 0u);
    }
}

TEST(RasterImageBlit, ConvertsThroughColoursAndClipsAtEveryEdge)
{
    RasterImage source;
    ASSERT_TRUE(source.create(8, 3, 2, 0u));
    source.setPixel(0, 0, 12);   // red
    source.setPixel(1, 0, 10);   // green
    source.setPixel(2, 0, 9);    // blue
    source.setPixel(0, 1, 15);
    source.setPixel(1, 1, 7);
    source.setPixel(2, 1, 8);
    const uint32_t colours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0xC0C0C0, 0x808080}};

    struct Case {
        int x, y;
    };
    const Case cases[] = {{0, 0}, {-1, 0}, {0, -1}, {3, 2}, {4, 3}, {-2, -1}, {10, 0}, {0, -5}};
    for (int bpp : {24, 32, 8, 4}) {
        for (const Case& c : cases) {
            RasterImage dest;
            ASSERT_TRUE(dest.create(bpp, 5, 4, 0u));
            EXPECT_TRUE(dest.blit(source, c.x, c.y));
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 5; ++x) {
                    const int sx = x - c.x, sy = y - c.y;
                    const bool covered = sx >= 0 && sx < 3 && sy >= 0 && sy < 2;
                    const uint32_t want = covered ? colours[sy][sx] : 0u;
                    EXPECT_EQ(dest.colourAt(x, y) & 0xFFFFFF, want)
                        << bpp << " bits at " << c.x << "," << c.y << " pixel " << x << "," << y;
                }
            }
        }
    }
    RasterImage empty, dest;
    ASSERT_TRUE(dest.create(24, 2, 2));
    EXPECT_FALSE(dest.blit(empty, 0, 0));
    EXPECT_FALSE(empty.blit(dest, 0, 0));
}

TEST(RasterImageAlpha, CompositesByTheAlphaFormula)
{
    struct Case {
        uint32_t dst, src, expected;
    };
    const Case cases[] = {
        // Destination alpha 0: the source pixel is written unchanged.
        {0x00102030, 0x80FF8000, 0x80FF8000},
        // Source alpha 0 leaves the destination alone.
        {0xFF102030, 0x00FFFFFF, 0xFF102030},
        // Opaque destination: (s*(a+1) + d*(256-a)) >> 8, alpha stays 255.
        {0xFF000000, 0x80FF8040, 0xFF804020},
        {0xFF204060, 0xFF808080, 0xFF808080},
        // Part-transparent destination: alpha (da*(256-a) + a*(a+1)) >> 8.
        {0x80000000, 0x80FFFFFF, 0x80808080},
        {0x01FFFFFF, 0x01000000, 0x01FEFEFE},
    };
    for (const Case& c : cases) {
        RasterImage dest, star;
        ASSERT_TRUE(dest.create(32, 1, 1, c.dst));
        ASSERT_TRUE(star.create(32, 1, 1, c.src));
        EXPECT_TRUE(dest.drawWithAlpha(star, 0, 0));
        EXPECT_EQ(dest.pixel(0, 0), c.expected) << std::hex << c.dst << " " << c.src;
    }
}

TEST(RasterImageAlpha, StarAtNegativeOffsetWritesItsVisiblePixelsOntoTwentyFourBits)
{
    RasterImage star;
    ASSERT_TRUE(star.create(32, 50, 47, 0u));
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 50; ++x)
            if ((x + y) % 3)
                star.setPixel(x, y, (static_cast<uint32_t>(40 + x) << 24) | (x << 16) | (y << 8) | 7);
    RasterImage board;
    ASSERT_TRUE(board.create(24, 60, 50, 0x445566u));
    EXPECT_TRUE(board.drawWithAlpha(star, -10, -10));
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 60; ++x) {
            const int sx = x + 10, sy = y + 10;
            uint32_t want = 0x445566;
            if (sx < 50 && sy < 47 && (sx + sy) % 3)
                want = (sx << 16) | (sy << 8) | 7;
            ASSERT_EQ(board.colourAt(x, y), want) << x << "," << y;
        }
    }
}

TEST(RasterImageAlpha, RefusesWrongDepthsAndEmptyImages)
{
    RasterImage star24, star32, dest8, dest12, empty;
    ASSERT_TRUE(star24.create(24, 2, 2, 0xFFFFFFu));
    ASSERT_TRUE(star32.create(32, 2, 2, 0xFFFFFFFFu));
    ASSERT_TRUE(dest8.create(8, 2, 2, 0u));
    ASSERT_TRUE(dest12.create(12, 2, 2, 0u));
    EXPECT_FALSE(dest12.drawWithAlpha(star24, 0, 0));
    EXPECT_FALSE(dest8.drawWithAlpha(star32, 0, 0));
    EXPECT_EQ(dest8.pixel(0, 0), 0u);
    EXPECT_FALSE(dest12.drawWithAlpha(empty, 0, 0));
    EXPECT_TRUE(dest12.drawWithAlpha(star32, 1, 1));
    EXPECT_EQ(dest12.colourAt(1, 1), 0xFFFFFFu);
    EXPECT_EQ(dest12.colourAt(0, 0), 0u);
}

}  // namespace
}  // namespace gz
