// The TIFF writer: one uncompressed little-endian strip (see codec_tiff.h).
#include "imaging/codec_tiff.h"

#include <cstring>
#include <vector>

namespace gz {

void writeTiff(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw ETiffError("Leeres Bild übergeben");
    const uint32_t w = static_cast<uint32_t>(image.width());
    const uint32_t h = static_cast<uint32_t>(image.height());
    const int bpp = image.bitsPerPixel();
    const bool indexed = bpp == 1 || bpp == 4 || bpp == 8;
    const uint32_t bits = indexed ? static_cast<uint32_t>(bpp) : 8;
    const uint32_t spp = indexed ? 1 : 3;
    const uint64_t rowBytes = (static_cast<uint64_t>(w) * bits * spp + 7) / 8;
    const uint64_t dataBytes = rowBytes * h;
    if (dataBytes > 0xFFFF0000ull)
        throw ETiffError("Fehler beim Schreiben");

    const uint32_t ifdAt = static_cast<uint32_t>(8 + ((dataBytes + 1) & ~1ull));
    constexpr uint16_t entries = 10;
    const uint32_t extraAt = ifdAt + 2 + 12u * entries + 4;
    const uint32_t colourMapCount = indexed ? 3u << bits : 0;
    std::vector<uint8_t> ifd;
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        codec::putLe16(ifd, tag);
        codec::putLe16(ifd, type);
        codec::putLe32(ifd, count);
        if (type == 3 && count == 1) {
            codec::putLe16(ifd, value);
            codec::putLe16(ifd, 0);
        } else {
            codec::putLe32(ifd, value);
        }
    };
    codec::putLe16(ifd, entries);
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    if (indexed)
        entry(258, 3, 1, bits);
    else
        entry(258, 3, 3, extraAt);   // three 8s after the directory
    entry(259, 3, 1, 1);
    entry(262, 3, 1, indexed ? 3 : 2);
    entry(273, 4, 1, 8);
    entry(277, 3, 1, spp);
    entry(278, 4, 1, h);
    entry(279, 4, 1, static_cast<uint32_t>(dataBytes));
    if (indexed)
        entry(320, 3, colourMapCount, extraAt);
    else
        entry(284, 3, 1, 1);
    codec::putLe32(ifd, 0);
    if (indexed) {
        const int n = 1 << bits;
        for (int ch = 2; ch >= 0; --ch)
            for (int i = 0; i < n; ++i) {
                const uint32_t c = i < image.paletteSize() ? image.palette()[i] : 0;
                codec::putLe16(ifd, ((c >> (8 * ch)) & 0xFF) * 257);
            }
    } else {
        for (int i = 0; i < 3; ++i)
            codec::putLe16(ifd, 8);
    }

    const ETiffError writeError("Fehler beim Schreiben");
    const uint8_t header[8] = {'I', 'I', 42, 0, static_cast<uint8_t>(ifdAt), static_cast<uint8_t>(ifdAt >> 8),
                               static_cast<uint8_t>(ifdAt >> 16), static_cast<uint8_t>(ifdAt >> 24)};
    codec::writeAll(out, header, sizeof header, writeError);
    std::vector<uint32_t> colours(w);
    std::vector<uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (uint32_t y = 0; y < h; ++y) {
        if (indexed) {
            std::memcpy(row.data(), image.row(static_cast<int>(y)), row.size());
        } else {
            codec::rowColours(image, static_cast<int>(y), colours.data());
            for (uint32_t x = 0; x < w; ++x) {
                row[3 * x + 0] = static_cast<uint8_t>(colours[x] >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(colours[x] >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(colours[x]);
            }
        }
        codec::writeAll(out, row.data(), row.size(), writeError);
        codec::progress(image, y + 1, h);
    }
    if (dataBytes & 1)
        codec::writeAll(out, "", 1, writeError);
    codec::writeAll(out, ifd.data(), ifd.size(), writeError);
}

}  // namespace gz
