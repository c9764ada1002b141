#include "imaging/codec_xwd.h"

#include <bit>
#include <cstring>
#include <vector>

namespace gz {

namespace {

enum Field {
    kHeaderSize, kVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder, kBitmapUnit, kBitOrder,
    kBitmapPad, kBitsPerPixel, kBytesPerLine, kVisualClass, kRedMask, kGreenMask, kBlueMask, kBitsPerRgb,
    kColourMapEntries, kColourCount, kWindowWidth, kWindowHeight, kWindowX, kWindowY, kBorderWidth,
    kFieldCount
};

constexpr uint32_t kXYBitmap = 0, kZPixmap = 2;

uint32_t channel(uint32_t px, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    const uint32_t v = (px & mask) >> shift;
    return max == 255 ? v : (v * 255 + max / 2) / max;
}

}  // namespace

void readXwd(ByteReader& in, RasterImage& image)
{
    const EXwdFileReadError readError;
    uint8_t raw[4 * kFieldCount];
    codec::readExact(in, raw, sizeof raw, readError);
    uint32_t h[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i)
        h[i] = codec::be32(raw + 4 * i);
    if (h[kVersion] != 7 || h[kHeaderSize] < sizeof raw || h[kHeaderSize] > (1u << 20))
        throw EXwdNotAXwdFile();
    const uint32_t w = h[kWidth], ht = h[kHeight], bpp = h[kBitsPerPixel];
    if (w == 0 || ht == 0 || h[kColourCount] > 65536)
        throw EXwdDataError();
    const bool bitmap = h[kFormat] == kXYBitmap || (h[kFormat] == kZPixmap && bpp == 1);
    if (!bitmap && !(h[kFormat] == kZPixmap && (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)))
        throw EXwdDataError();
    const uint64_t minLine = bitmap ? (static_cast<uint64_t>(w) + h[kXOffset] + 7) / 8
                                    : static_cast<uint64_t>(w) * (bpp / 8);
    if (h[kBytesPerLine] < minLine)
        throw EXwdDataError();
    if (!in.seek(h[kHeaderSize]))
        throw readError;

    uint32_t colours[256] = {};
    bool haveColours = false;
    for (uint32_t i = 0; i < h[kColourCount]; ++i) {
        uint8_t c[12];
        codec::readExact(in, c, sizeof c, readError);
        const uint32_t pixel = codec::be32(c);
        if (pixel < 256) {
            colours[pixel] = static_cast<uint32_t>(c[4]) << 16 | static_cast<uint32_t>(c[6]) << 8 | c[8];
            haveColours = true;
        }
    }
    if (static_cast<uint64_t>(h[kBytesPerLine]) * ht > in.remaining())
        throw readError;

    const int depth = bitmap ? 1 : bpp == 8 ? 8 : 24;
    codec::createImage(image, depth, static_cast<int>(w), static_cast<int>(ht));
    if (depth <= 8 && haveColours)
        for (int i = 0; i < image.paletteSize(); ++i)
            image.palette()[i] = colours[i];
    if (depth == 1 && !haveColours) {
        image.palette()[0] = 0xFFFFFF;   // X bitmaps draw set bits in black
        image.palette()[1] = 0x000000;
    }

    const bool msbByte = h[kByteOrder] != 0;
    const bool msbBit = h[kBitOrder] != 0;
    std::vector<uint8_t> line(h[kBytesPerLine]);
    for (uint32_t y = 0; y < ht; ++y) {
        codec::readExact(in, line.data(), line.size(), readError);
        uint8_t* out = image.row(static_cast<int>(y));
        for (uint32_t x = 0; x < w; ++x) {
            if (bitmap) {
                const uint32_t bit = x + h[kXOffset];
                const uint8_t b = line[bit / 8];
                const int v = msbBit ? (b >> (7 - bit % 8)) & 1 : (b >> (bit % 8)) & 1;
                image.setPixel(static_cast<int>(x), static_cast<int>(y), static_cast<uint32_t>(v));
                continue;
            }
            if (bpp == 8) {
                out[x] = line[x];
                continue;
            }
            const uint8_t* p = &line[static_cast<std::size_t>(x) * (bpp / 8)];
            uint32_t px = 0;
            for (uint32_t k = 0; k < bpp / 8; ++k)
                px |= static_cast<uint32_t>(msbByte ? p[k] : p[bpp / 8 - 1 - k]) << (8 * (bpp / 8 - 1 - k));
            out[3 * x + 0] = static_cast<uint8_t>(channel(px, h[kBlueMask]));
            out[3 * x + 1] = static_cast<uint8_t>(channel(px, h[kGreenMask]));
            out[3 * x + 2] = static_cast<uint8_t>(channel(px, h[kRedMask]));
        }
        codec::progress(image, y + 1, ht);
    }
}

void writeXwd(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw EXwdDataError();
    const uint32_t w = static_cast<uint32_t>(image.width());
    const uint32_t ht = static_cast<uint32_t>(image.height());
    static const char kName[] = "xwd";
    const uint32_t headerSize = 4 * kFieldCount + sizeof kName;
    const uint32_t fields[kFieldCount] = {
        headerSize, 7, kZPixmap, 24, w, ht, 0, 1, 32, 1, 32, 32, 4 * w, 4 /* TrueColor */, 0xFF0000, 0xFF00, 0xFF,
        8, 256, 0, w, ht, 0, 0, 0};
    std::vector<uint8_t> head;
    for (uint32_t f : fields)
        codec::putBe32(head, f);
    head.insert(head.end(), kName, kName + sizeof kName);
    const EXwdFileWriteError writeError;
    codec::writeAll(out, head.data(), head.size(), writeError);
    std::vector<uint32_t> colours(w);
    std::vector<uint8_t> line(4 * static_cast<std::size_t>(w));
    for (uint32_t y = 0; y < ht; ++y) {
        codec::rowColours(image, static_cast<int>(y), colours.data());
        for (uint32_t x = 0; x < w; ++x) {
            line[4 * x + 0] = 0;
            line[4 * x + 1] = static_cast<uint8_t>(colours[x] >> 16);
            line[4 * x + 2] = static_cast<uint8_t>(colours[x] >> 8);
            line[4 * x + 3] = static_cast<uint8_t>(colours[x]);
        }
        codec::writeAll(out, line.data(), line.size(), writeError);
        codec::progress(image, y + 1, ht);
    }
}

}  // namespace gz
