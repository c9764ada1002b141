// Generates the three built-in bitmap fonts of the image object from a
// TrueType font through FreeType: cell heights 36, 24 and 18 pixels, the 256
// codes of Windows-1252, in the short font form (first and last code bytes,
// a 32-bit offset per code, then the glyphs; no extension block):
//   glyph = width (also the advance), height (the cell height), then height
//   rows of (width + 7) / 8 bytes, bottom row first, leftmost pixel in the
//   most significant bit, cleared bit = ink.
// Control codes and the five codes Windows-1252 leaves undefined get an empty
// glyph as wide as the space.
//
// usage: fontgen <font.ttf> <output folder>   writes font36.bin, font24.bin,
//                                              font18.bin
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Unicode of the Windows-1252 codes 0x80..0x9F; 0 = undefined.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// 0 for codes that draw nothing.
uint32_t unicodeOf(int code)
{
    if (code < 0x20 || code == 0x7F)
        return 0;
    if (code >= 0x80 && code < 0xA0)
        return kHighControls[code - 0x80];
    return static_cast<uint32_t>(code);   // Latin-1 everywhere else
}

struct Glyph {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;   // bottom row first
};

Glyph emptyGlyph(int width, int height)
{
    Glyph g;
    g.width = width;
    g.height = height;
    g.rows.assign(static_cast<size_t>(height) * ((width + 7) / 8), 0xFF);
    return g;
}

bool renderFont(FT_Face face, int cell, std::vector<uint8_t>& out)
{
    // Largest size whose ascent and descent fit into the cell.
    int ppem = cell;
    int ascent = 0;
    for (; ppem > 4; --ppem) {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)))
            return false;
        ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
        const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
        if (ascent + descent <= cell)
            break;
    }
    int spaceWidth = cell / 4;
    if (!FT_Load_Char(face, ' ', FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO))
        spaceWidth = static_cast<int>((face->glyph->advance.x + 32) >> 6);

    std::vector<Glyph> glyphs;
    for (int code = 0; code < 256; ++code) {
        const uint32_t u = unicodeOf(code);
        if (u == 0 || FT_Get_Char_Index(face, u) == 0 ||
            FT_Load_Char(face, u, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) {
            glyphs.push_back(emptyGlyph(spaceWidth, cell));
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        int advance = static_cast<int>((slot->advance.x + 32) >> 6);
        // Ink left of the origin moves the glyph right; ink past the advance
        // widens the cell, so no glyph is cut.
        const int shift = slot->bitmap_left < 0 ? -slot->bitmap_left : 0;
        const int left = slot->bitmap_left + shift;
        int width = advance + shift;
        if (left + static_cast<int>(bm.width) > width)
            width = left + static_cast<int>(bm.width);
        if (width < 1)
            width = 1;
        if (width > 255)
            return false;
        Glyph g = emptyGlyph(width, cell);
        const int rowBytes = (width + 7) / 8;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const int y = ascent - slot->bitmap_top + static_cast<int>(r);   // from the top
            if (y < 0 || y >= cell)
                continue;
            const uint8_t* src = bm.buffer + static_cast<std::ptrdiff_t>(r) * bm.pitch;
            uint8_t* dst = &g.rows[static_cast<size_t>(cell - 1 - y) * rowBytes];
            for (unsigned c = 0; c < bm.width; ++c) {
                if (!((src[c >> 3] >> (7 - (c & 7))) & 1))
                    continue;
                const int x = left + static_cast<int>(c);
                dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] & ~(0x80 >> (x & 7)));
            }
        }
        glyphs.push_back(std::move(g));
    }

    out.clear();
    out.push_back(0);
    out.push_back(255);
    const size_t tableAt = out.size();
    out.resize(tableAt + 4 * 256);
    for (int code = 0; code < 256; ++code) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        for (int b = 0; b < 4; ++b)
            out[tableAt + 4 * code + b] = static_cast<uint8_t>(offset >> (8 * b));
        const Glyph& g = glyphs[code];
        out.push_back(static_cast<uint8_t>(g.width));
        out.push_back(static_cast<uint8_t>(g.height));
        out.insert(out.end(), g.rows.begin(), g.rows.end());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontgen font.ttf output-folder\n");
        return 2;
    }
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) || FT_New_Face(lib, argv[1], 0, &face)) {
        std::fprintf(stderr, "fontgen: cannot open %s\n", argv[1]);
        return 1;
    }
    for (int cell : {36, 24, 18}) {
        std::vector<uint8_t> bytes;
        if (!renderFont(face, cell, bytes)) {
            std::fprintf(stderr, "fontgen: cannot render the %d-pixel font\n", cell);
            return 1;
        }
        const std::string path = std::string(argv[2]) + "/font" + std::to_string(cell) + ".bin";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (!f || std::fclose(f) != 0 || !ok) {
            std::fprintf(stderr, "fontgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return 0;
}
