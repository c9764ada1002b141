#include "imaging/bitmap_resource.h"

#include <cstdio>
#include <cstring>

namespace gz {
namespace {

uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t load32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;

}  // namespace

bool parseBitmapResource(const uint8_t* data, std::size_t size, RasterImage& image)
{
    image.release();
    if (!data || size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t bitsOffset = load32(data + 10);
    const uint8_t* info = data + kFileHeader;
    const uint32_t infoSize = load32(info);
    if (infoSize < kInfoHeader || infoSize > size - kFileHeader)
        return false;
    const int32_t width = static_cast<int32_t>(load32(info + 4));
    const int32_t rawHeight = static_cast<int32_t>(load32(info + 8));
    const int bpp = load16(info + 14);
    if (load16(info + 12) != 1 || load32(info + 16) != 0)
        return false;
    if (width <= 0 || width > kMaxImageSide || rawHeight == 0 || rawHeight < -kMaxImageSide ||
        rawHeight > kMaxImageSide || !RasterImage::isSupportedDepth(bpp))
        return false;
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    const std::size_t stride = static_cast<std::size_t>(RasterImage::strideFor(bpp, width));
    const std::size_t bitsSize = stride * static_cast<std::size_t>(height);
    if (bitsOffset > size || bitsSize > size - bitsOffset)
        return false;

    uint32_t colours = 0;
    if (bpp <= 8) {
        const uint32_t maxColours = 1u << bpp;
        colours = load32(info + 32);
        if (colours == 0 || colours > maxColours)
            colours = colours == 0 ? maxColours : 0;
        if (colours == 0)
            return false;
        const std::size_t paletteAt = kFileHeader + infoSize;
        if (paletteAt + 4 * static_cast<std::size_t>(colours) > bitsOffset)
            return false;
    }
    if (!image.create(bpp, width, height))
        return false;
    const uint8_t* pal = data + kFileHeader + infoSize;
    for (uint32_t i = 0; i < colours; ++i)
        image.palette()[i] = (static_cast<uint32_t>(pal[4 * i + 2]) << 16) |
                             (static_cast<uint32_t>(pal[4 * i + 1]) << 8) | pal[4 * i];
    const uint8_t* bits = data + bitsOffset;
    if (rawHeight > 0) {
        std::memcpy(image.bits(), bits, bitsSize);
    } else {
        for (int y = 0; y < height; ++y)
            std::memcpy(image.row(y), bits + stride * static_cast<std::size_t>(y), stride);
    }
    return true;
}

std::vector<uint8_t> encodeBitmapResource(const RasterImage& image)
{
    std::vector<uint8_t> out;
    if (image.isEmpty())
        return out;
    const uint32_t colours = static_cast<uint32_t>(image.paletteSize());
    const uint32_t bitsOffset = static_cast<uint32_t>(kFileHeader + kInfoHeader + 4 * colours);
    const uint32_t bitsSize = static_cast<uint32_t>(image.byteSize());
    out.reserve(bitsOffset + bitsSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, bitsOffset + bitsSize);
    put32(out, 0);
    put32(out, bitsOffset);
    put32(out, kInfoHeader);
    put32(out, static_cast<uint32_t>(image.width()));
    put32(out, static_cast<uint32_t>(image.height()));
    put16(out, 1);
    put16(out, static_cast<uint32_t>(image.bitsPerPixel()));
    put32(out, 0);
    put32(out, bitsSize);
    put32(out, 0);
    put32(out, 0);
    put32(out, colours);
    put32(out, 0);
    for (uint32_t i = 0; i < colours; ++i)
        put32(out, image.palette()[i] & 0xFFFFFF);
    out.insert(out.end(), image.bits(), image.bits() + bitsSize);
    return out;
}

bool writeBitmapResourceFile(const char* path, const RasterImage& image)
{
    const std::vector<uint8_t> bytes = encodeBitmapResource(image);
    if (bytes.empty())
        return false;
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace gz
