#include "imaging/codec_bmp.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace gz {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct Masks {
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

struct Channel {
    uint32_t mask;
    int shift;
    uint32_t max;
    uint32_t get(uint32_t px, uint32_t none) const
    {
        if (mask == 0)
            return none;
        const uint32_t v = (px & mask) >> shift;
        return max == 255 ? v : (v * 255 + max / 2) / max;
    }
};

Channel channel(uint32_t mask)
{
    if (mask == 0)
        return {0, 0, 0};
    const int shift = std::countr_zero(mask);
    const uint32_t bits = mask >> shift;
    return {mask, shift, bits};
}

uint64_t fileStride(int64_t width, int bpp) { return ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4; }

void decodeRle(const std::vector<uint8_t>& data, RasterImage& image, bool four)
{
    const int w = image.width();
    const int h = image.height();
    int x = 0;
    int line = 0;   // counted from the bottom
    std::size_t i = 0;
    const auto put = [&](uint8_t index) {
        if (x < w && line < h)
            image.setPixel(x, h - 1 - line, index);
        ++x;
    };
    while (i + 1 < data.size() && line < h) {
        const uint8_t n = data[i++];
        const uint8_t c = data[i++];
        if (n > 0) {
            for (int k = 0; k < n && x < w; ++k)
                put(four ? static_cast<uint8_t>((k & 1) ? (c & 0x0F) : (c >> 4)) : c);
            continue;
        }
        if (c == 0) {   // end of line
            x = 0;
            ++line;
        } else if (c == 1) {   // end of bitmap
            return;
        } else if (c == 2) {   // delta
            if (i + 1 >= data.size())
                throw EBmpCorruptFile();
            x += data[i++];
            line += data[i++];
        } else {   // absolute run of c pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (c + 1u) / 2 : c;
            if (i + bytes > data.size())
                throw EBmpCorruptFile();
            for (int k = 0; k < c; ++k) {
                const uint8_t b = data[i + (four ? k / 2 : k)];
                put(four ? static_cast<uint8_t>((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += bytes + (bytes & 1);
        }
    }
}

}  // namespace

void readBmp(ByteReader& in, RasterImage& image)
{
    const EBmpFileReadError readError;
    uint8_t magic[2] = {};
    uint64_t pixelOffset = 0;
    codec::readExact(in, magic, 2, readError);
    if (magic[0] == 'B' && magic[1] == 'M') {
        uint8_t fh[12];
        codec::readExact(in, fh, sizeof fh, readError);
        pixelOffset = codec::le32(fh + 8);
    } else {
        in.seek(0);
    }

    const uint32_t headerSize = codec::readLe32(in, readError);
    if (headerSize < 12 || headerSize > 65536)
        throw EBmpNotABmpFile();
    uint8_t hdr[124] = {};
    const std::size_t keep = std::min<std::size_t>(headerSize, sizeof hdr);
    codec::readExact(in, hdr + 4, keep - 4, readError);
    if (headerSize > keep && !in.seek(in.tell() + (headerSize - keep)))
        throw EBmpCorruptFile();

    int64_t width, height;
    int bpp;
    uint32_t compression = kBiRgb, coloursUsed = 0;
    Masks masks;
    const bool core = headerSize == 12;
    if (core) {
        width = codec::le16(hdr + 4);
        height = static_cast<int16_t>(codec::le16(hdr + 6));
        bpp = codec::le16(hdr + 10);
    } else {
        if (headerSize < 16)
            throw EBmpNotSupported();
        width = static_cast<int32_t>(codec::le32(hdr + 4));
        height = static_cast<int32_t>(codec::le32(hdr + 8));
        bpp = codec::le16(hdr + 14);
        if (headerSize >= 20)
            compression = codec::le32(hdr + 16);
        if (headerSize >= 36)
            coloursUsed = codec::le32(hdr + 32);
        if (headerSize >= 52) {
            masks.red = codec::le32(hdr + 40);
            masks.green = codec::le32(hdr + 44);
            masks.blue = codec::le32(hdr + 48);
        }
        if (headerSize >= 56)
            masks.alpha = codec::le32(hdr + 52);
        if (headerSize == 40 && (compression == kBiBitfields || compression == kBiAlphaBitfields)) {
            masks.red = codec::readLe32(in, readError);
            masks.green = codec::readLe32(in, readError);
            masks.blue = codec::readLe32(in, readError);
            if (compression == kBiAlphaBitfields)
                masks.alpha = codec::readLe32(in, readError);
        }
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        throw EBmpCorruptFile();

    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    const bool fields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (!(compression == kBiRgb || (compression == kBiRle8 && bpp == 8) || (compression == kBiRle4 && bpp == 4) ||
          (fields && (bpp == 16 || bpp == 32))))
        throw EBmpNotSupported();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw EBmpNotSupported();
    if (rle && topDown)
        throw EBmpNotSupported();

    // Palette
    uint32_t palette[256] = {};
    int paletteEntries = 0;
    if (bpp <= 8) {
        const uint32_t full = 1u << bpp;
        const uint32_t stored = coloursUsed == 0 ? full : coloursUsed;
        if (stored > 65536)
            throw EBmpCorruptFile();
        const int entrySize = core ? 3 : 4;
        for (uint32_t i = 0; i < stored; ++i) {
            uint8_t e[4];
            codec::readExact(in, e, entrySize, readError);
            if (i < 256)
                palette[i] = static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
        }
        paletteEntries = static_cast<int>(std::min<uint32_t>(stored, full));
    }
    if (pixelOffset != 0 && !in.seek(pixelOffset))
        throw EBmpCorruptFile();

    // Target depth
    int depth = bpp;
    Channel r{}, g{}, b{}, a{};
    bool generic = false;
    if (bpp == 16) {
        if (!fields || (masks.red == 0x7C00 && masks.green == 0x03E0 && masks.blue == 0x001F && masks.alpha == 0)) {
            depth = 15;
        } else if (masks.red == 0xF800 && masks.green == 0x07E0 && masks.blue == 0x001F && masks.alpha == 0) {
            depth = 16;
        } else {
            generic = true;
            depth = masks.alpha ? 32 : 24;
        }
    } else if (bpp == 32 && fields &&
               !(masks.red == 0xFF0000 && masks.green == 0xFF00 && masks.blue == 0xFF &&
                 (masks.alpha == 0 || masks.alpha == 0xFF000000u))) {
        generic = true;
        depth = 32;
    }
    if (generic) {
        r = channel(masks.red);
        g = channel(masks.green);
        b = channel(masks.blue);
        a = channel(masks.alpha);
    }

    const uint64_t stride = fileStride(width, bpp);
    if (!rle) {
        if (stride * static_cast<uint64_t>(height) > in.remaining())
            throw EBmpFileReadError();
    }
    codec::createImage(image, depth, static_cast<int>(width), static_cast<int>(height));
    for (int i = 0; i < paletteEntries && i < image.paletteSize(); ++i)
        image.palette()[i] = palette[i];
    const int w = image.width();
    const int h = image.height();

    if (rle) {
        const uint64_t available = std::min<uint64_t>(in.remaining(), imageMemoryLimit());
        std::vector<uint8_t> data(static_cast<std::size_t>(available));
        codec::readExact(in, data.data(), data.size(), readError);
        std::memset(image.bits(), 0, image.byteSize());
        decodeRle(data, image, compression == kBiRle4);
        return;
    }

    std::vector<uint8_t> row(static_cast<std::size_t>(stride));
    for (int i = 0; i < h; ++i) {
        codec::readExact(in, row.data(), row.size(), readError);
        const int y = topDown ? i : h - 1 - i;
        uint8_t* out = image.row(y);
        if (!generic) {
            std::memcpy(out, row.data(), std::min<std::size_t>(row.size(), static_cast<std::size_t>(image.stride())));
        } else {
            for (int x = 0; x < w; ++x) {
                const uint32_t px = bpp == 16 ? codec::le16(&row[2 * x]) : codec::le32(&row[4 * x]);
                const uint32_t red = r.get(px, 0), green = g.get(px, 0), blue = b.get(px, 0);
                if (depth == 32) {
                    out[4 * x + 0] = static_cast<uint8_t>(blue);
                    out[4 * x + 1] = static_cast<uint8_t>(green);
                    out[4 * x + 2] = static_cast<uint8_t>(red);
                    out[4 * x + 3] = static_cast<uint8_t>(a.get(px, 255));
                } else {
                    out[3 * x + 0] = static_cast<uint8_t>(blue);
                    out[3 * x + 1] = static_cast<uint8_t>(green);
                    out[3 * x + 2] = static_cast<uint8_t>(red);
                }
            }
        }
        codec::progress(image, i + 1, h);
    }
}

void writeBmp(ByteWriter& out, const RasterImage& image, int writeOption)
{
    if (image.isEmpty())
        throw EBmpDataError();
    const int src = image.bitsPerPixel();
    int bpp;
    if (src == 1 || src == 4 || src == 8 || src == 24)
        bpp = src;
    else if (src == 32 && writeOption >= 0)
        bpp = 32;
    else
        bpp = 24;
    const int w = image.width();
    const int h = image.height();
    const uint32_t paletteEntries = bpp <= 8 ? 1u << bpp : 0;
    const uint64_t stride = fileStride(w, bpp);
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(h);
    const uint32_t offset = 14 + 40 + 4 * paletteEntries;
    if (pixelBytes + offset > 0xFFFFFFFFull)
        throw EBmpDataError();

    std::vector<uint8_t> head;
    head.push_back('B');
    head.push_back('M');
    codec::putLe32(head, static_cast<uint32_t>(offset + pixelBytes));
    codec::putLe32(head, 0);
    codec::putLe32(head, offset);
    codec::putLe32(head, 40);
    codec::putLe32(head, static_cast<uint32_t>(w));
    codec::putLe32(head, static_cast<uint32_t>(h));
    codec::putLe16(head, 1);
    codec::putLe16(head, static_cast<uint32_t>(bpp));
    codec::putLe32(head, kBiRgb);
    codec::putLe32(head, static_cast<uint32_t>(pixelBytes));
    codec::putLe32(head, 2835);   // 72 dpi
    codec::putLe32(head, 2835);
    codec::putLe32(head, paletteEntries);
    codec::putLe32(head, 0);
    for (uint32_t i = 0; i < paletteEntries; ++i) {
        const uint32_t c = static_cast<int>(i) < image.paletteSize() ? image.palette()[i] : 0;
        codec::putLe32(head, c & 0xFFFFFF);
    }
    const EBmpFileWriteError writeError;
    codec::writeAll(out, head.data(), head.size(), writeError);

    if (bpp == src) {
        // The picture's memory is laid out bottom-up with 4-byte rows, as a BMP.
        for (int i = 0; i < h; ++i) {
            codec::writeAll(out, image.row(h - 1 - i), static_cast<std::size_t>(stride), writeError);
            codec::progress(image, i + 1, h);
        }
        return;
    }
    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    std::vector<uint8_t> row(static_cast<std::size_t>(stride), 0);
    for (int i = 0; i < h; ++i) {
        codec::rowColours(image, h - 1 - i, colours.data());
        for (int x = 0; x < w; ++x) {
            row[3 * x + 0] = static_cast<uint8_t>(colours[x]);
            row[3 * x + 1] = static_cast<uint8_t>(colours[x] >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(colours[x] >> 16);
        }
        codec::writeAll(out, row.data(), row.size(), writeError);
        codec::progress(image, i + 1, h);
    }
}

}  // namespace gz
