// Bitmap font blocks, text measuring and drawing, and the ink routines.
#include "imaging/bitmap_font.h"
#include "imaging/raster_image.h"
#include "resources/resource_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gz {
namespace {

void put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Glyph 'A': 3 x 2, top row "#.#", bottom row ".#." ('#' = ink = cleared bit).
// 'B' has no glyph. 'C': 9 x 1, ink in columns 0 and 8.
std::vector<uint8_t> glyphBytes()
{
    return {3, 2, 0xBF /* bottom: 1 0 1 -> .#. */, 0x5F /* top: 0 1 0 -> #.# */, 9, 1, 0x7F, 0x7F};
}

std::vector<uint8_t> shortFont()
{
    std::vector<uint8_t> b = {'A', 'C'};
    b.resize(2 + 12);
    const std::vector<uint8_t> g = glyphBytes();
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 6, 0);
    put32(b, 10, static_cast<uint32_t>(b.size() + 4));
    b.insert(b.end(), g.begin(), g.end());
    return b;
}

std::vector<uint8_t> longFontWithSpacing(int16_t spacing)
{
    std::vector<uint8_t> b(16 + 12, 0);
    put32(b, 0, font::kLongFormMagic);
    b[8] = 'A';
    b[10] = 'C';
    // Extension block right after the table: one record, key 0, 2 bytes.
    const std::size_t ext = b.size();
    b.resize(ext + 8 + 6 + 6);
    put32(b, ext, font::kExtensionMagic);
    put32(b, ext + 4, 12);
    b[ext + 8] = 1;   // key 1 (spacing reference) first, to be skipped
    b[ext + 10] = 2;
    b[ext + 14] = 0;  // key 0
    b[ext + 16] = 2;
    b[ext + 18] = static_cast<uint8_t>(spacing);
    b[ext + 19] = static_cast<uint8_t>(static_cast<uint16_t>(spacing) >> 8);
    const std::vector<uint8_t> g = glyphBytes();
    put32(b, 16, static_cast<uint32_t>(b.size()));
    put32(b, 20, 0);
    put32(b, 24, static_cast<uint32_t>(b.size() + 4));
    b.insert(b.end(), g.begin(), g.end());
    return b;
}

std::vector<std::string> picture(const RasterImage& image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const uint32_t c = image.colourAt(x, y);
            row += c == 0xFFFFFF ? '#' : c == 0x0000FF ? 'o' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(BitmapFont, ReadsBothFormsAndTheExtensionBlock)
{
    const std::vector<uint8_t> s = shortFont(), l = longFontWithSpacing(-3);
    for (const std::vector<uint8_t>* f : {&s, &l}) {
        EXPECT_TRUE(font::isValidFont(f->data(), f->size()));
        EXPECT_NE(font::glyph(f->data(), 'A'), nullptr);
        EXPECT_EQ(font::glyph(f->data(), 'B'), nullptr);
        EXPECT_EQ(font::glyph(f->data(), 'C')[0], 9);
        EXPECT_EQ(font::glyph(f->data(), '@'), nullptr);
        EXPECT_EQ(font::glyph(f->data(), 'D'), nullptr);
    }
    EXPECT_EQ(font::defaultSpacing(s.data()), 0);
    EXPECT_EQ(font::defaultSpacing(l.data()), -3);
    uint16_t n = 0;
    EXPECT_NE(font::extensionRecord(l.data(), font::kKeySpacingReference, &n), nullptr);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(font::extensionRecord(l.data(), font::kKeyBaseline, &n), nullptr);
}

TEST(BitmapFont, ValidationRejectsBlocksReachingPastTheirSize)
{
    const std::vector<uint8_t> good = shortFont();
    struct Case {
        const char* name;
        std::size_t size;
        std::size_t patchAt;
        uint32_t patch;
    };
    const Case cases[] = {
        {"cut inside the table", 9, 0, 0},
        {"cut inside the last glyph", good.size() - 1, 0, 0},
        {"offset past the end", good.size(), 10, 5000},
        {"offset into the table", good.size(), 2, 3},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = good;
        if (c.patchAt)
            put32(f, c.patchAt, c.patch);
        EXPECT_FALSE(font::isValidFont(f.data(), c.size)) << c.name;
    }
    std::vector<uint8_t> reversed = good;
    reversed[0] = 'D';
    EXPECT_FALSE(font::isValidFont(reversed.data(), reversed.size()));
}

TEST(Text, MeasuresGlyphWidthsPlusSpacingBetweenCharacters)
{
    const std::vector<uint8_t> s = shortFont(), l = longFontWithSpacing(2);
    RasterImage image;
    EXPECT_EQ(image.measureText("AC"), 0);   // no font yet
    image.setFont(s.data());
    struct Case {
        const uint8_t* font;
        const char* text;
        int width;
    };
    const Case cases[] = {
        {s.data(), "", 0},     {s.data(), "A", 3},     {s.data(), "AC", 12}, {s.data(), "ABxA", 6},
        {l.data(), "", 0},     {l.data(), "A", 3},     {l.data(), "AAA", 13}, {l.data(), "AC", 14},
    };
    for (const Case& c : cases) {
        image.setFont(c.font);
        EXPECT_EQ(image.measureText(c.text), c.width) << c.text;
    }
}

TEST(Text, DrawsGlyphsTopRowAtYWithAlignmentAndBackground)
{
    const std::vector<uint8_t> s = shortFont();
    struct Case {
        int align, x, y;
        bool background;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {kAlignLeft, 1, 1, false, {"..............", ".#.##.......#.", "..#...........", ".............."}},
        {kAlignCentre, 7, 0, false, {".#.##.......#.", "..#...........", "..............", ".............."}},
        {kAlignRight, 13, 2, true,
         {"..............", "..............", ".#o##ooooooo#.", ".o#o.........."}},
        {kAlignLeft, -2, 0, false, {"##.......#....", "..............", "..............", ".............."}},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(24, 14, 4, 0u));
        image.setFont(s.data());
        image.setTextAlign(c.align);
        if (c.background)
            image.setTextInk(plainInk, 0xFFFFFF, plainInk, 0x0000FF);
        else
            image.setTextInk(plainInk, 0xFFFFFF);
        EXPECT_EQ(image.drawText(c.x, c.y, "AC"), 12);
        EXPECT_EQ(picture(image), c.expected) << "align " << c.align << " at " << c.x << "," << c.y;
    }
}

TEST(SoftInk, BlendsTheNeighbourhoodAndAccumulates)
{
    RasterImage image;
    ASSERT_TRUE(image.create(24, 5, 3, 0u));
    softInk(image, 1, 1, 0xFFFFFF);
    // (255 * w + 0 * (32 - w)) >> 5 for w = 1, 2, 20.
    const uint32_t corner = 0x070707, side = 0x0F0F0F, centre = 0x9F9F9F;
    EXPECT_EQ(image.colourAt(0, 0), corner);
    EXPECT_EQ(image.colourAt(1, 0), side);
    EXPECT_EQ(image.colourAt(0, 1), side);
    EXPECT_EQ(image.colourAt(1, 1), centre);
    EXPECT_EQ(image.colourAt(2, 2), corner);
    EXPECT_EQ(image.colourAt(3, 1), 0u);
    softInk(image, 2, 1, 0xFFFFFF);
    // The first centre now gets w = 2 again: (255*2 + 159*30) >> 5 = 165.
    EXPECT_EQ(image.colourAt(1, 1), 0xA5A5A5u);
    EXPECT_EQ(image.colourAt(3, 1), side);
    // Per channel: only green of the ink.
    RasterImage green;
    ASSERT_TRUE(green.create(24, 3, 3, 0x800000u));
    softInk(green, 1, 1, 0x00FF00);
    EXPECT_EQ(green.colourAt(1, 1), (48u << 16) | (159u << 8));   // red (0x80 * 12) >> 5
}

TEST(SoftInk, ClipsAtTheImageAndStoresTheNearestPaletteEntry)
{
    RasterImage image;
    ASSERT_TRUE(image.create(8, 3, 3, 0u));
    softInk(image, -1, 5, 15);   // wholly outside: nothing happens
    softInk(image, 0, 0, 15);    // white; part of the neighbourhood is outside
    // 0x9F9F9F is closest to grey entry 26 (0xA0A0A0), 0x0F0F0F to entry 17
    // (0x101010), 0x070707 to black.
    EXPECT_EQ(image.pixel(0, 0), 26u);
    EXPECT_EQ(image.pixel(1, 0), 17u);
    EXPECT_EQ(image.pixel(0, 1), 17u);
    EXPECT_EQ(image.pixel(1, 1), 0u);
    EXPECT_EQ(image.pixel(2, 2), 0u);
}

TEST(BuiltinFonts, CoverAllCodesAtTheirCellHeights)
{
    for (int cell : {36, 24, 18}) {
        const uint8_t* f = builtinFont(cell);
        ASSERT_NE(f, nullptr) << cell;
        const Resource* r = findResource("FONT", "FONT" + std::to_string(cell));
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(font::isValidFont(r->data, r->size)) << cell;
        const font::Layout l = font::layoutOf(f);
        EXPECT_EQ(l.first, 0u);
        EXPECT_EQ(l.last, 255u);
        EXPECT_EQ(font::defaultSpacing(f), 0);
        const int space = font::glyph(f, ' ')[0];
        EXPECT_GT(space, 0);
        for (unsigned code = 0; code < 256; ++code) {
            const uint8_t* g = font::glyph(f, code);
            ASSERT_NE(g, nullptr) << cell << " code " << code;
            EXPECT_EQ(g[1], cell) << cell << " code " << code;
            EXPECT_GT(g[0], 0) << cell << " code " << code;
        }
        for (unsigned code : {0u, 9u, 0x81u, 0x8Du, 0x9Du})
            EXPECT_EQ(font::glyph(f, code)[0], space) << cell << " code " << code;
        // Glyphs that must show ink: letters, umlauts, the euro sign.
        RasterImage image;
        ASSERT_TRUE(image.create(24, 64, cell, 0u));
        image.setFont(f);
        image.setTextInk(plainInk, 0xFFFFFF);
        for (const char* text : {"A", "g", "\xC4", "\xDF", "\x80", "\x93"}) {
            image.fillRect(0, 0, 64, cell, 0);
            image.drawText(0, 0, text);
            int ink = 0;
            for (int y = 0; y < cell; ++y)
                for (int x = 0; x < 64; ++x)
                    ink += image.colourAt(x, y) != 0;
            EXPECT_GT(ink, 0) << cell << " '" << text << "'";
        }
    }
    EXPECT_EQ(builtinFont(20), nullptr);
    // Smaller cells measure narrower: the banner falls back 36 -> 24 -> 18.
    RasterImage image;
    const char* text = "Welche Stadt liegt am Rhein?";
    image.setFont(builtinFont(36));
    const int w36 = image.measureText(text);
    image.setFont(builtinFont(24));
    const int w24 = image.measureText(text);
    image.setFont(builtinFont(18));
    EXPECT_GT(w36, w24);
    EXPECT_GT(w24, image.measureText(text));
}

}  // namespace
}  // namespace gz
