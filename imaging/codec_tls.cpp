#include "imaging/codec_tls.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace gz {

namespace {

uint32_t crcOf(uint32_t crc, const uint8_t* data, std::size_t n)
{
    // zlib takes the length as uInt; rows are far below its range.
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(n)));
}

}  // namespace

void readTls(ByteReader& in, RasterImage& image)
{
    const ETlsFileReadError readError;
    uint8_t head[12];
    codec::readExact(in, head, sizeof head, readError);
    if (std::memcmp(head, "TLSP", 4) != 0 || codec::le32(head + 4) != kTlsVersion)
        throw ETlsNotATlsFile();
    if (codec::le32(head + 8) == 0)
        throw ETlsNotFound();

    uint8_t entry[12];
    codec::readExact(in, entry, sizeof entry, ETlsCorruptFile());
    const uint32_t width = codec::le32(entry);
    const uint32_t height = codec::le32(entry + 4);
    const uint32_t bpp = codec::le32(entry + 8);
    if (width == 0 || height == 0 || (bpp != 8 && bpp != 24 && bpp != 32))
        throw ETlsCorruptFile();
    const uint64_t rowBytes = static_cast<uint64_t>(width) * (bpp / 8);
    codec::checkPictureSize(width, height, static_cast<int>(bpp), rowBytes);
    const uint64_t paletteBytes = bpp == 8 ? 256 * 4 : 0;
    if (paletteBytes + rowBytes * height + 4 > in.remaining())
        throw ETlsCorruptFile();

    uint32_t crc = crcOf(crc32(0, nullptr, 0), entry, sizeof entry);
    codec::createImage(image, static_cast<int>(bpp), static_cast<int>(width), static_cast<int>(height));
    if (bpp == 8) {
        uint8_t palette[256 * 4];
        codec::readExact(in, palette, sizeof palette, ETlsCorruptFile());
        crc = crcOf(crc, palette, sizeof palette);
        for (int i = 0; i < 256; ++i)
            image.palette()[i] = codec::le32(palette + 4 * i);
    }
    std::vector<uint8_t> row(static_cast<std::size_t>(rowBytes));
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    for (int y = 0; y < h; ++y) {
        codec::readExact(in, row.data(), row.size(), ETlsCorruptFile());
        crc = crcOf(crc, row.data(), row.size());
        const uint8_t* p = row.data();
        for (int x = 0; x < w; ++x) {
            uint32_t v;
            if (bpp == 8) {
                v = *p++;
            } else {
                v = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
                if (bpp == 32)
                    v |= static_cast<uint32_t>(p[3]) << 24;
                p += bpp / 8;
            }
            image.setPixel(x, y, v);
        }
        codec::progress(image, y + 1, h);
    }
    if (codec::readLe32(in, ETlsCorruptFile()) != crc)
        throw ETlsCrcError();
}

void writeTls(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw ETlsDataError();
    const ETlsFileWriteError writeError;
    const int w = image.width();
    const int h = image.height();
    const int source = image.bitsPerPixel();
    const uint32_t bpp = source <= 8 ? 8 : (source == 32 ? 32 : 24);

    std::vector<uint8_t> bytes;
    bytes.insert(bytes.end(), {'T', 'L', 'S', 'P'});
    codec::putLe32(bytes, kTlsVersion);
    codec::putLe32(bytes, 1);
    codec::writeAll(out, bytes.data(), bytes.size(), writeError);

    bytes.clear();
    codec::putLe32(bytes, static_cast<uint32_t>(w));
    codec::putLe32(bytes, static_cast<uint32_t>(h));
    codec::putLe32(bytes, bpp);
    if (bpp == 8)
        for (int i = 0; i < 256; ++i)
            codec::putLe32(bytes, i < image.paletteSize() ? image.palette()[i] : 0);
    uint32_t crc = crcOf(crc32(0, nullptr, 0), bytes.data(), bytes.size());
    codec::writeAll(out, bytes.data(), bytes.size(), writeError);

    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    std::vector<uint8_t> row(static_cast<std::size_t>(w) * (bpp / 8));
    for (int y = 0; y < h; ++y) {
        uint8_t* p = row.data();
        if (bpp == 8) {
            for (int x = 0; x < w; ++x)
                *p++ = static_cast<uint8_t>(image.pixel(x, y));
        } else {
            codec::rowColours(image, y, colours.data());
            for (int x = 0; x < w; ++x) {
                const uint32_t c = colours[x];
                *p++ = static_cast<uint8_t>(c);
                *p++ = static_cast<uint8_t>(c >> 8);
                *p++ = static_cast<uint8_t>(c >> 16);
                if (bpp == 32)
                    *p++ = static_cast<uint8_t>(c >> 24);
            }
        }
        crc = crcOf(crc, row.data(), row.size());
        codec::writeAll(out, row.data(), row.size(), writeError);
        codec::progress(image, y + 1, h);
    }
    bytes.clear();
    codec::putLe32(bytes, crc);
    codec::writeAll(out, bytes.data(), bytes.size(), writeError);
}

}  // namespace gz
