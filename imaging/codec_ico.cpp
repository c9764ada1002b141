#include "imaging/codec_ico.h"

#include <cstring>
#include <vector>

#include "imaging/codec_png.h"

namespace gz {

namespace {

const char* const kNotFound = "Das Icon konnte in der Datei nicht gefunden werden !";
const char* const kReadError = "Fehler beim Lesen der Datei !";
const char* const kBadFormat = "Fehlerhaftes Dateiformat !";
const char* const kCompressed = "Komprimierte Icons werden nicht unterstützt !";
const char* const kBadColour = "Das Farbformat wird nicht unterstützt !";
const char* const kTooLarge = "Zugroßer Datenblock !";

uint64_t dibStride(uint64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

void toThirtyTwoBits(RasterImage& image)
{
    if (image.bitsPerPixel() == 32)
        return;
    RasterImage source;
    if (!source.copyFrom(image))
        throw EGraphicsMemory();
    codec::createImage(image, 32, source.width(), source.height());
    std::vector<uint32_t> colours(static_cast<std::size_t>(source.width()));
    for (int y = 0; y < source.height(); ++y) {
        codec::rowColours(source, y, colours.data());
        uint8_t* out = image.row(y);
        for (int x = 0; x < source.width(); ++x) {
            const uint32_t c = colours[x] | 0xFF000000u;
            std::memcpy(out + 4 * x, &c, 4);   // little-endian B G R A
        }
    }
}

void readDib(const std::vector<uint8_t>& data, RasterImage& image)
{
    if (data.size() < 40 || codec::le32(data.data()) < 40 || codec::le32(data.data()) > data.size())
        throw EIconError(kBadFormat);
    const uint32_t headerSize = codec::le32(data.data());
    const int32_t width = static_cast<int32_t>(codec::le32(&data[4]));
    const int32_t doubleHeight = static_cast<int32_t>(codec::le32(&data[8]));
    const int bpp = codec::le16(&data[14]);
    const uint32_t compression = codec::le32(&data[16]);
    const uint32_t used = codec::le32(&data[32]);
    if (width <= 0 || doubleHeight < 2)
        throw EIconError(kBadFormat);
    if (compression != 0)
        throw EIconError(kCompressed);
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        throw EIconError(kBadColour);
    const int height = doubleHeight / 2;

    std::size_t at = headerSize;
    uint32_t palette[256] = {};
    if (bpp <= 8) {
        const uint32_t entries = used == 0 || used > (1u << bpp) ? (1u << bpp) : used;
        if (at + 4ull * entries > data.size())
            throw EIconError(kReadError);
        for (uint32_t i = 0; i < entries; ++i)
            palette[i] = codec::le32(&data[at + 4 * i]) & 0xFFFFFF;
        at += 4 * entries;
    }
    const uint64_t xorStride = dibStride(static_cast<uint64_t>(width), bpp);
    const uint64_t andStride = dibStride(static_cast<uint64_t>(width), 1);
    codec::checkPictureSize(width, height, 32);
    if (at + xorStride * height > data.size())
        throw EIconError(kReadError);
    const bool hasMask = at + (xorStride + andStride) * height <= data.size();
    const std::size_t maskAt = at + static_cast<std::size_t>(xorStride * height);

    codec::createImage(image, 32, width, height);
    bool anyAlpha = false;
    for (int i = 0; i < height; ++i) {
        const uint8_t* row = &data[at + static_cast<std::size_t>(xorStride * i)];
        uint8_t* out = image.row(height - 1 - i);
        for (int x = 0; x < width; ++x) {
            uint32_t c;
            switch (bpp) {
            case 1: c = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: c = palette[(row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F]; break;
            case 8: c = palette[row[x]]; break;
            case 24: c = static_cast<uint32_t>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x]; break;
            default: c = codec::le32(row + 4 * x); break;
            }
            if (bpp != 32)
                c |= 0xFF000000u;
            anyAlpha = anyAlpha || (c >> 24) != 0;
            std::memcpy(out + 4 * x, &c, 4);
        }
    }
    // The AND mask makes pixels transparent; a 32-bit entry without any
    // alpha also takes its transparency from the mask.
    if (hasMask && (bpp != 32 || !anyAlpha)) {
        for (int i = 0; i < height; ++i) {
            const uint8_t* mask = &data[maskAt + static_cast<std::size_t>(andStride * i)];
            uint8_t* out = image.row(height - 1 - i);
            for (int x = 0; x < width; ++x)
                out[4 * x + 3] = ((mask[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
        }
    }
}

}  // namespace

void readIco(ByteReader& in, RasterImage& image)
{
    const EIconError readError(kReadError);
    uint8_t dir[6];
    codec::readExact(in, dir, 6, readError);
    const uint16_t type = codec::le16(dir + 2);
    const uint16_t count = codec::le16(dir + 4);
    if (codec::le16(dir) != 0 || (type != 1 && type != 2))
        throw EIconError(kBadFormat);
    if (count == 0)
        throw EIconError(kNotFound);

    int best = -1;
    uint64_t bestArea = 0;
    int bestDepth = -1;
    uint32_t bestSize = 0, bestOffset = 0;
    for (int i = 0; i < count; ++i) {
        uint8_t e[16];
        codec::readExact(in, e, 16, readError);
        const uint64_t w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        const int depth = type == 1 ? codec::le16(e + 6) : 0;
        const uint64_t area = w * h;
        if (best < 0 || area > bestArea || (area == bestArea && depth > bestDepth)) {
            best = i;
            bestArea = area;
            bestDepth = depth;
            bestSize = codec::le32(e + 8);
            bestOffset = codec::le32(e + 12);
        }
    }
    if (bestSize > imageMemoryLimit())
        throw EIconError(kTooLarge);
    if (bestSize < 8 || static_cast<uint64_t>(bestOffset) + bestSize > in.size() || !in.seek(bestOffset))
        throw EIconError(kReadError);
    std::vector<uint8_t> data(bestSize);
    codec::readExact(in, data.data(), data.size(), readError);

    if (std::memcmp(data.data(), "\x89PNG", 4) == 0) {
        MemoryReader png(data.data(), data.size());
        readPng(png, image, nullptr);
        toThirtyTwoBits(image);
        return;
    }
    readDib(data, image);
}

}  // namespace gz
