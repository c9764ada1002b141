#include "imaging/codec_tiff.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace gz {

namespace {

const char* const kBadHeader = "Falscher Header";
const char* const kBadEntry = "Falscher Eintrag";
const char* const kUnsupported = "Modus ist nicht unterstützt";
const char* const kReadError = "Fehler beim Lesen";

enum Tag : uint16_t {
    kWidth = 256,
    kHeight = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kPlanar = 284,
    kColourMap = 320,
    kTileWidth = 322,
};

struct Entry {
    uint16_t type;
    uint32_t count;
    uint8_t value[4];
};

class Directory {
public:
    Directory(ByteReader& in, bool big) : in_(in), big_(big) {}

    uint16_t u16(const uint8_t* p) const { return big_ ? codec::be16(p) : codec::le16(p); }
    uint32_t u32(const uint8_t* p) const { return big_ ? codec::be32(p) : codec::le32(p); }

    void read(uint32_t offset)
    {
        const ETiffError readError(kReadError);
        if (!in_.seek(offset))
            throw ETiffError(kBadHeader);
        uint8_t b[2];
        codec::readExact(in_, b, 2, readError);
        const uint16_t count = u16(b);
        for (uint16_t i = 0; i < count; ++i) {
            uint8_t e[12];
            codec::readExact(in_, e, 12, readError);
            Entry entry{u16(e + 2), u32(e + 4), {}};
            std::memcpy(entry.value, e + 8, 4);
            entries_[u16(e)] = entry;
        }
    }

    bool has(uint16_t tag) const { return entries_.count(tag) != 0; }

    // All values of a BYTE, SHORT or LONG entry; at most `limit` of them.
    std::vector<uint32_t> values(uint16_t tag, uint32_t limit) const
    {
        const auto it = entries_.find(tag);
        if (it == entries_.end())
            return {};
        const Entry& e = it->second;
        const unsigned size = e.type == 1 ? 1 : e.type == 3 ? 2 : e.type == 4 ? 4 : 0;
        if (size == 0 || e.count == 0 || e.count > limit)
            throw ETiffError(kBadEntry);
        const uint64_t bytes = static_cast<uint64_t>(e.count) * size;
        // The values must fit in the file before anything is allocated.
        if (bytes > 4 && (bytes > in_.size() || u32(e.value) > in_.size() - bytes))
            throw ETiffError(kBadEntry);
        std::vector<uint8_t> raw(static_cast<std::size_t>(bytes));
        if (bytes <= 4) {
            std::memcpy(raw.data(), e.value, static_cast<std::size_t>(bytes));
        } else {
            if (!in_.seek(u32(e.value)))
                throw ETiffError(kBadEntry);
            codec::readExact(in_, raw.data(), raw.size(), ETiffError(kReadError));
        }
        std::vector<uint32_t> out(e.count);
        for (uint32_t i = 0; i < e.count; ++i) {
            const uint8_t* p = raw.data() + static_cast<std::size_t>(i) * size;
            out[i] = size == 1 ? *p : size == 2 ? u16(p) : u32(p);
        }
        return out;
    }

    uint32_t value(uint16_t tag, uint32_t fallback) const
    {
        if (!has(tag))
            return fallback;
        return values(tag, 1u << 24).front();
    }

private:
    ByteReader& in_;
    bool big_;
    std::map<uint16_t, Entry> entries_;
};

// PackBits into exactly out.size() bytes; a short source leaves zeros.
void unpackBits(const std::vector<uint8_t>& in, std::vector<uint8_t>& out)
{
    std::size_t i = 0, o = 0;
    while (i < in.size() && o < out.size()) {
        const int8_t n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, in.size() - i);
            const std::size_t m = std::min(k, out.size() - o);
            std::memcpy(&out[o], &in[i], m);
            i += k;
            o += m;
        } else if (n != -128) {
            if (i >= in.size())
                break;
            const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(1 - n), out.size() - o);
            std::memset(&out[o], in[i++], k);
            o += k;
        }
    }
}

}  // namespace

void readTiff(ByteReader& in, RasterImage& image)
{
    uint8_t header[8];
    codec::readExact(in, header, sizeof header, ETiffError(kReadError));
    bool big;
    if (header[0] == 'I' && header[1] == 'I')
        big = false;
    else if (header[0] == 'M' && header[1] == 'M')
        big = true;
    else
        throw ETiffError(kBadHeader);
    Directory dir(in, big);
    if (dir.u16(header + 2) != 42)
        throw ETiffError(kBadHeader);
    dir.read(dir.u32(header + 4));

    const uint32_t width = dir.value(kWidth, 0);
    const uint32_t height = dir.value(kHeight, 0);
    const uint32_t spp = dir.value(kSamplesPerPixel, 1);
    const uint32_t compression = dir.value(kCompression, 1);
    const uint32_t photometric = dir.value(kPhotometric, spp >= 3 ? 2 : 1);
    const uint32_t planar = dir.value(kPlanar, 1);
    if (width == 0 || height == 0 || !dir.has(kStripOffsets))
        throw ETiffError(kBadEntry);
    if (dir.has(kTileWidth) || planar != 1 || (compression != 1 && compression != 32773))
        throw ETiffError(kUnsupported);
    std::vector<uint32_t> bps = dir.values(kBitsPerSample, 16);
    if (bps.empty())
        bps.push_back(1);
    for (uint32_t b : bps)
        if (b != bps[0])
            throw ETiffError(kUnsupported);
    const uint32_t bits = bps[0];

    int depth;
    if (spp == 1 && (photometric == 0 || photometric == 1 || photometric == 3) && (bits == 1 || bits == 4 || bits == 8))
        depth = static_cast<int>(bits);
    else if (photometric == 2 && bits == 8 && spp == 3)
        depth = 24;
    else if (photometric == 2 && bits == 8 && spp == 4)
        depth = 32;
    else
        throw ETiffError(kUnsupported);

    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits * spp + 7) / 8;
    const uint32_t rowsPerStrip = std::clamp<uint32_t>(dir.value(kRowsPerStrip, height), 1, height);
    const uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    const uint64_t stripBytes = rowBytes * rowsPerStrip;
    codec::checkPictureSize(width, height, depth, stripBytes * 2);
    const std::vector<uint32_t> offsets = dir.values(kStripOffsets, strips + 1024);
    std::vector<uint32_t> counts = dir.values(kStripByteCounts, strips + 1024);
    if (offsets.size() < strips)
        throw ETiffError(kBadEntry);
    if (counts.size() < strips) {
        if (compression != 1)
            throw ETiffError(kBadEntry);
        counts.assign(strips, static_cast<uint32_t>(std::min<uint64_t>(stripBytes, 0xFFFFFFFFu)));
    }
    // Uncompressed pixels must all be in the file before we allocate.
    if (compression == 1 && rowBytes * height > in.size())
        throw ETiffError(kReadError);
    // PackBits turns two bytes into at most 128.
    if (compression == 32773 && rowBytes * height > in.size() * 64)
        throw ETiffError(kReadError);

    std::vector<uint32_t> colourMap;
    if (photometric == 3)
        colourMap = dir.values(kColourMap, 3u << bits);
    if (photometric == 3 && colourMap.size() != (3u << bits))
        throw ETiffError(kBadEntry);

    codec::createImage(image, depth, static_cast<int>(width), static_cast<int>(height));
    if (depth <= 8) {
        const int n = 1 << depth;
        for (int i = 0; i < n; ++i) {
            uint32_t c;
            if (photometric == 3) {
                c = (colourMap[i] >> 8) << 16 | (colourMap[n + i] >> 8) << 8 | (colourMap[2 * n + i] >> 8);
            } else {
                uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
                if (photometric == 0)
                    g = 255 - g;
                c = g * 0x010101u;
            }
            image.palette()[i] = c;
        }
    }

    std::vector<uint8_t> packed;
    std::vector<uint8_t> strip(static_cast<std::size_t>(stripBytes));
    const ETiffError readError(kReadError);
    uint32_t y = 0;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t rows = std::min(rowsPerStrip, height - y);
        const std::size_t need = static_cast<std::size_t>(rowBytes * rows);
        if (!in.seek(offsets[s]))
            throw ETiffError(kReadError);
        if (compression == 1) {
            codec::readExact(in, strip.data(), need, readError);
        } else {
            const uint64_t take = std::min<uint64_t>(counts[s], in.remaining());
            if (take > imageMemoryLimit())
                throw EGraphicsPicSize();
            packed.resize(static_cast<std::size_t>(take));
            codec::readExact(in, packed.data(), packed.size(), readError);
            std::fill(strip.begin(), strip.end(), 0);
            std::vector<uint8_t> target(need);
            unpackBits(packed, target);
            std::memcpy(strip.data(), target.data(), need);
        }
        for (uint32_t r = 0; r < rows; ++r, ++y) {
            const uint8_t* src = strip.data() + static_cast<std::size_t>(r * rowBytes);
            uint8_t* out = image.row(static_cast<int>(y));
            if (depth <= 8) {
                std::memcpy(out, src, static_cast<std::size_t>(rowBytes));
            } else {
                for (uint32_t x = 0; x < width; ++x) {
                    const uint8_t* p = src + static_cast<std::size_t>(x) * spp;
                    uint8_t* q = out + static_cast<std::size_t>(x) * (depth / 8);
                    q[0] = p[2];
                    q[1] = p[1];
                    q[2] = p[0];
                    if (depth == 32)
                        q[3] = p[3];
                }
            }
            codec::progress(image, y + 1, height);
        }
    }
}

}  // namespace gz

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
