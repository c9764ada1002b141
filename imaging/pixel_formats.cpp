#include "imaging/pixel_formats.h"

#include <cstring>
#include <cwchar>


namespace gz::pixfmt {
namespace {

// --- channel helpers ---

inline uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
inline uint32_t red(uint32_t c) { return (c >> 16) & 0xFF; }
inline uint32_t green(uint32_t c) { return (c >> 8) & 0xFF; }
inline uint32_t blue(uint32_t c) { return c & 0xFF; }

inline uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void store16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline uint32_t from555(uint32_t w)
{
    uint32_t r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
    return rgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
}
inline uint32_t to555(uint32_t c) { return ((red(c) >> 3) << 10) | ((green(c) >> 3) << 5) | (blue(c) >> 3); }
inline uint32_t from565(uint32_t w)
{
    uint32_t r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
    return rgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}
inline uint32_t to565(uint32_t c) { return ((red(c) >> 3) << 11) | ((green(c) >> 2) << 5) | (blue(c) >> 3); }

// --- indexed formats: B bits per pixel, leftmost pixel in the high bits ---

template <int B>
uint32_t readIndexed(const RasterImage& img, int x, int y)
{
    constexpr int perByte = 8 / B;
    const uint8_t byte = img.row(y)[x / perByte];
    const int shift = (perByte - 1 - x % perByte) * B;
    return (byte >> shift) & ((1u << B) - 1);
}

template <int B>
void writeIndexed(RasterImage& img, int x, int y, uint32_t v)
{
    constexpr int perByte = 8 / B;
    constexpr uint32_t mask = (1u << B) - 1;
    uint8_t& byte = img.row(y)[x / perByte];
    const int shift = (perByte - 1 - x % perByte) * B;
    byte = static_cast<uint8_t>((byte & ~(mask << shift)) | ((v & mask) << shift));
}

template <>
uint32_t readIndexed<8>(const RasterImage& img, int x, int y) { return img.row(y)[x]; }
template <>
void writeIndexed<8>(RasterImage& img, int x, int y, uint32_t v) { img.row(y)[x] = static_cast<uint8_t>(v); }

template <int B>
void fillIndexed(RasterImage& img, int y, int x0, int x1, uint32_t v)
{
    if constexpr (B == 8) {
        std::memset(img.row(y) + x0, static_cast<int>(v & 0xFF), static_cast<std::size_t>(x1 - x0 + 1));
    } else {
        constexpr int perByte = 8 / B;
        constexpr uint32_t mask = (1u << B) - 1;
        int x = x0;
        for (; x <= x1 && x % perByte; ++x)
            writeIndexed<B>(img, x, y, v);
        // Whole bytes in the middle.
        uint8_t pattern = 0;
        for (int i = 0; i < perByte; ++i)
            pattern = static_cast<uint8_t>((pattern << B) | (v & mask));
        const int whole = (x1 + 1 - x) / perByte;
        if (whole > 0) {
            std::memset(img.row(y) + x / perByte, pattern, static_cast<std::size_t>(whole));
            x += whole * perByte;
        }
        for (; x <= x1; ++x)
            writeIndexed<B>(img, x, y, v);
    }
}

template <int B>
void readColoursIndexed(const RasterImage& img, int y, int x0, int n, uint32_t* out)
{
    const uint32_t* pal = img.palette();
    for (int i = 0; i < n; ++i)
        out[i] = pal[readIndexed<B>(img, x0 + i, y)];
}

template <int B>
void writeColoursIndexed(RasterImage& img, int y, int x0, int n, const uint32_t* in)
{
    const uint32_t* pal = img.palette();
    const int size = img.paletteSize();
    // Runs of one colour are common; remember the last answer.
    uint32_t lastColour = 0;
    int lastIndex = -1;
    for (int i = 0; i < n; ++i) {
        const uint32_t c = in[i] & 0xFFFFFF;
        if (lastIndex < 0 || c != lastColour) {
            lastColour = c;
            lastIndex = nearestPaletteIndex(pal, size, c);
        }
        writeIndexed<B>(img, x0 + i, y, static_cast<uint32_t>(lastIndex));
    }
}

// --- 12 bits: nibble stream R G B, two pixels in three bytes ---

inline uint32_t nibble(const uint8_t* row, int n) { return (row[n >> 1] >> ((n & 1) ? 0 : 4)) & 15; }
inline void setNibble(uint8_t* row, int n, uint32_t v)
{
    uint8_t& b = row[n >> 1];
    if (n & 1)
        b = static_cast<uint8_t>((b & 0xF0) | (v & 15));
    else
        b = static_cast<uint8_t>((b & 0x0F) | ((v & 15) << 4));
}

uint32_t read12(const RasterImage& img, int x, int y)
{
    const uint8_t* row = img.row(y);
    const int n = 3 * x;
    return rgb(nibble(row, n) * 17, nibble(row, n + 1) * 17, nibble(row, n + 2) * 17);
}
void write12(RasterImage& img, int x, int y, uint32_t c)
{
    uint8_t* row = img.row(y);
    const int n = 3 * x;
    setNibble(row, n, red(c) >> 4);
    setNibble(row, n + 1, green(c) >> 4);
    setNibble(row, n + 2, blue(c) >> 4);
}
void fill12(RasterImage& img, int y, int x0, int x1, uint32_t c)
{
    for (int x = x0; x <= x1; ++x)
        write12(img, x, y, c);
}

// --- 15 and 16 bits ---

template <uint32_t (*From)(uint32_t), uint32_t (*To)(uint32_t)>
struct Word16 {
    static uint32_t read(const RasterImage& img, int x, int y) { return From(load16(img.row(y) + 2 * x)); }
    static void write(RasterImage& img, int x, int y, uint32_t c) { store16(img.row(y) + 2 * x, To(c)); }
    static void fill(RasterImage& img, int y, int x0, int x1, uint32_t c)
    {
        const uint32_t w = To(c);
        uint8_t* p = img.row(y) + 2 * x0;
        for (int x = x0; x <= x1; ++x, p += 2)
            store16(p, w);
    }
};
using Fmt15 = Word16<from555, to555>;
using Fmt16 = Word16<from565, to565>;

// --- 24 bits ---

uint32_t read24(const RasterImage& img, int x, int y)
{
    const uint8_t* p = img.row(y) + 3 * x;
    return rgb(p[2], p[1], p[0]);
}
void write24(RasterImage& img, int x, int y, uint32_t c)
{
    uint8_t* p = img.row(y) + 3 * x;
    p[0] = static_cast<uint8_t>(c);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c >> 16);
}
void fill24(RasterImage& img, int y, int x0, int x1, uint32_t c)
{
    uint8_t* p = img.row(y) + 3 * x0;
    const uint8_t b = static_cast<uint8_t>(c), g = static_cast<uint8_t>(c >> 8), r = static_cast<uint8_t>(c >> 16);
    const std::size_t n = static_cast<std::size_t>(x1 - x0 + 1);
    const std::size_t first = n < 16 ? n : 16;
    for (std::size_t i = 0; i < first; ++i) {
        p[3 * i] = b;
        p[3 * i + 1] = g;
        p[3 * i + 2] = r;
    }
    // Long spans: keep doubling the filled part; the library copy is wide.
    for (std::size_t done = first; done < n;) {
        const std::size_t chunk = done < n - done ? done : n - done;
        std::memcpy(p + 3 * done, p, 3 * chunk);
        done += chunk;
    }
}
void readColours24(const RasterImage& img, int y, int x0, int n, uint32_t* out)
{
    const uint8_t* p = img.row(y) + 3 * x0;
    for (int i = 0; i < n; ++i, p += 3)
        out[i] = rgb(p[2], p[1], p[0]);
}
void writeColours24(RasterImage& img, int y, int x0, int n, const uint32_t* in)
{
    uint8_t* p = img.row(y) + 3 * x0;
    for (int i = 0; i < n; ++i, p += 3) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
        p[2] = static_cast<uint8_t>(in[i] >> 16);
    }
}

// --- 32 bits: the little-endian word is the colour ---

uint32_t read32(const RasterImage& img, int x, int y)
{
    const uint8_t* p = img.row(y) + 4 * x;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void write32(RasterImage& img, int x, int y, uint32_t c)
{
    uint8_t* p = img.row(y) + 4 * x;
    p[0] = static_cast<uint8_t>(c);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c >> 16);
    p[3] = static_cast<uint8_t>(c >> 24);
}
void fill32(RasterImage& img, int y, int x0, int x1, uint32_t c)
{
    uint8_t* p = img.row(y) + 4 * x0;
    const uint8_t bytes[4] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16),
                              static_cast<uint8_t>(c >> 24)};
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    if ((reinterpret_cast<std::uintptr_t>(p) & 3) == 0) {
        // Rows of owned (and sensibly supplied) memory are word aligned.
        // Where wide characters are 32 bits the library's wide fill is the
        // fastest word fill at hand.
        if constexpr (sizeof(wchar_t) == 4) {
            wchar_t w;
            std::memcpy(&w, &word, 4);
            std::wmemset(reinterpret_cast<wchar_t*>(p), w, static_cast<std::size_t>(x1 - x0 + 1));
        } else {
            typedef uint32_t __attribute__((may_alias)) Word;
            Word* w = reinterpret_cast<Word*>(p);
            for (int x = x0; x <= x1; ++x)
                *w++ = word;
        }
        return;
    }
    for (int x = x0; x <= x1; ++x, p += 4)
        std::memcpy(p, &word, 4);
}
void readColours32(const RasterImage& img, int y, int x0, int n, uint32_t* out)
{
    const uint8_t* p = img.row(y) + 4 * x0;
    for (int i = 0; i < n; ++i, p += 4)
        out[i] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void writeColours32(RasterImage& img, int y, int x0, int n, const uint32_t* in)
{
    uint8_t* p = img.row(y) + 4 * x0;
    for (int i = 0; i < n; ++i, p += 4) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
        p[2] = static_cast<uint8_t>(in[i] >> 16);
        p[3] = static_cast<uint8_t>(in[i] >> 24);
    }
}

// Direct formats without a bulk routine go through their pixel routines.
template <ReadPixelFn Read>
void readColoursGeneric(const RasterImage& img, int y, int x0, int n, uint32_t* out)
{
    for (int i = 0; i < n; ++i)
        out[i] = Read(img, x0 + i, y);
}
template <WritePixelFn Write>
void writeColoursGeneric(RasterImage& img, int y, int x0, int n, const uint32_t* in)
{
    for (int i = 0; i < n; ++i)
        Write(img, x0 + i, y, in[i]);
}

const PixelFormat kFormats[] = {
    {1, readIndexed<1>, writeIndexed<1>, fillIndexed<1>, readColoursIndexed<1>, writeColoursIndexed<1>},
    {2, readIndexed<2>, writeIndexed<2>, fillIndexed<2>, readColoursIndexed<2>, writeColoursIndexed<2>},
    {4, readIndexed<4>, writeIndexed<4>, fillIndexed<4>, readColoursIndexed<4>, writeColoursIndexed<4>},
    {8, readIndexed<8>, writeIndexed<8>, fillIndexed<8>, readColoursIndexed<8>, writeColoursIndexed<8>},
    {12, read12, write12, fill12, readColoursGeneric<read12>, writeColoursGeneric<write12>},
    {15, Fmt15::read, Fmt15::write, Fmt15::fill, readColoursGeneric<Fmt15::read>, writeColoursGeneric<Fmt15::write>},
    {16, Fmt16::read, Fmt16::write, Fmt16::fill, readColoursGeneric<Fmt16::read>, writeColoursGeneric<Fmt16::write>},
    {24, read24, write24, fill24, readColours24, writeColours24},
    {32, read32, write32, fill32, readColours32, writeColours32},
};

const uint32_t kVga16[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

}  // namespace

const PixelFormat* formatFor(int bitsPerPixel)
{
    for (const PixelFormat& f : kFormats)
        if (f.bitsPerPixel == bitsPerPixel)
            return &f;
    return nullptr;
}

int defaultPalette(int bitsPerPixel, uint32_t* palette)
{
    switch (bitsPerPixel) {
    case 1:
        palette[0] = 0x000000;
        palette[1] = 0xFFFFFF;
        return 2;
    case 2:
        palette[0] = 0x000000;
        palette[1] = 0x008000;
        palette[2] = 0x800000;
        palette[3] = 0xFFFFFF;
        return 4;
    case 4:
        std::memcpy(palette, kVga16, sizeof kVga16);
        return 16;
    case 8: {
        std::memcpy(palette, kVga16, sizeof kVga16);
        for (uint32_t i = 16; i < 32; ++i) {
            const uint32_t v = 16 * (i - 16);
            palette[i] = rgb(v, v, v);
        }
        for (uint32_t i = 32; i < 248; ++i) {
            const uint32_t k = i - 32;
            palette[i] = rgb(20 + 43 * (k / 36 % 6), 20 + 43 * (k / 6 % 6), 20 + 43 * (k % 6));
        }
        for (uint32_t i = 248; i < 256; ++i)
            palette[i] = rgb(64 * ((i >> 5) & 3) + 32, 32 * ((i >> 2) & 7) + 16, (64 * i + 32) & 0xFF);
        return 256;
    }
    default:
        return 0;
    }
}

int nearestPaletteIndex(const uint32_t* palette, int size, uint32_t colour)
{
    int best = 0;
    uint32_t bestDistance = UINT32_MAX;
    for (int i = 0; i < size; ++i) {
        const int dr = static_cast<int>(red(palette[i])) - static_cast<int>(red(colour));
        const int dg = static_cast<int>(green(palette[i])) - static_cast<int>(green(colour));
        const int db = static_cast<int>(blue(palette[i])) - static_cast<int>(blue(colour));
        const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    return best;
}

}  // namespace gz::pixfmt
