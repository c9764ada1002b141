#include "imaging/codec_gif.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gz {

namespace {

// The data sub-blocks of one image or extension as a byte stream.
class SubBlocks {
public:
    explicit SubBlocks(ByteReader& in) : in_(in) {}

    int byte()
    {
        while (pos_ == len_) {
            if (ended_)
                return -1;
            const uint8_t n = codec::readU8(in_, EGifFileReadError());
            if (n == 0) {
                ended_ = true;
                return -1;
            }
            codec::readExact(in_, block_, n, EGifFileReadError());
            len_ = n;
            pos_ = 0;
        }
        return block_[pos_++];
    }

    void skipRest()
    {
        while (byte() >= 0) {
        }
    }

    // The rest of the blocks as text, appended to `out` (at most `limit`).
    void appendTo(std::string& out, std::size_t limit)
    {
        for (int c; (c = byte()) >= 0;)
            if (out.size() < limit)
                out.push_back(static_cast<char>(c));
    }

private:
    ByteReader& in_;
    uint8_t block_[256];
    int len_ = 0;
    int pos_ = 0;
    bool ended_ = false;
};

class BitReader {
public:
    explicit BitReader(SubBlocks& blocks) : blocks_(blocks) {}
    int code(int size)
    {
        while (count_ < size) {
            const int b = blocks_.byte();
            if (b < 0)
                return -1;
            bits_ |= static_cast<uint32_t>(b) << count_;
            count_ += 8;
        }
        const int c = static_cast<int>(bits_ & ((1u << size) - 1));
        bits_ >>= size;
        count_ -= size;
        return c;
    }

private:
    SubBlocks& blocks_;
    uint32_t bits_ = 0;
    int count_ = 0;
};

void readColourTable(ByteReader& in, int entries, uint32_t* table)
{
    uint8_t rgb[3 * 256];
    codec::readExact(in, rgb, static_cast<std::size_t>(entries) * 3, EGifFileReadError());
    for (int i = 0; i < entries; ++i)
        table[i] = static_cast<uint32_t>(rgb[3 * i]) << 16 | static_cast<uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
}

// Row of the frame that the n-th decoded row goes to.
int interlacedRow(int n, int height)
{
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (n < rows)
            return kStart[pass] + n * kStep[pass];
        n -= rows;
    }
    return height - 1;
}

void decodeImage(ByteReader& in, RasterImage& image, int left, int top, int w, int h, bool interlaced)
{
    const int minSize = codec::readU8(in, EGifFileReadError());
    if (minSize < 1 || minSize > 11)
        throw EGifCorruptFile();
    SubBlocks blocks(in);
    BitReader bits(blocks);

    const int clear = 1 << minSize;
    const int end = clear + 1;
    int size = minSize + 1;
    int next = clear + 2;
    int prev = -1;
    int first = 0;
    uint16_t prefix[4096];
    uint8_t suffix[4096];
    uint8_t stack[4097];

    const int64_t total = static_cast<int64_t>(w) * h;
    int64_t written = 0;
    int x = 0, n = 0;
    int y = interlaced ? interlacedRow(0, h) : 0;
    const auto emit = [&](uint8_t index) {
        if (written >= total)
            return;
        const int px = left + x, py = top + y;
        if (px < image.width() && py < image.height())
            image.row(py)[px] = index;
        ++written;
        if (++x == w) {
            x = 0;
            ++n;
            y = interlaced ? interlacedRow(n, h) : n;
            codec::progress(image, n, h);
        }
    };

    while (written < total) {
        int code = bits.code(size);
        if (code < 0 || code == end)
            break;
        if (code == clear) {
            size = minSize + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (prev < 0) {
            if (code > clear)
                break;   // no table yet: the stream is damaged from here on
            emit(static_cast<uint8_t>(code));
            prev = first = code;
            continue;
        }
        const int incoming = code;
        int sp = 0;
        if (code >= next) {
            if (code > next)
                break;
            stack[sp++] = static_cast<uint8_t>(first);
            code = prev;
        }
        while (code > end) {
            stack[sp++] = suffix[code];
            code = prefix[code];
        }
        first = code;
        stack[sp++] = static_cast<uint8_t>(code);
        if (next < 4096) {
            prefix[next] = static_cast<uint16_t>(prev);
            suffix[next] = static_cast<uint8_t>(first);
            ++next;
            if (next == (1 << size) && size < 12)
                ++size;
        }
        prev = incoming;
        while (sp > 0)
            emit(stack[--sp]);
    }
    blocks.skipRest();
}

}  // namespace

void readGif(ByteReader& in, RasterImage& image, std::string* comment)
{
    uint8_t header[13];
    codec::readExact(in, header, sizeof header, EGifFileReadError());
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)
        throw EGifNotAGifFile();
    const int screenW = codec::le16(header + 6);
    const int screenH = codec::le16(header + 8);
    const uint8_t flags = header[10];
    const uint8_t background = header[11];
    uint32_t global[256] = {};
    const bool hasGlobal = flags & 0x80;
    const int globalEntries = 2 << (flags & 7);
    if (hasGlobal)
        readColourTable(in, globalEntries, global);

    std::string text;
    for (;;) {
        const uint8_t kind = codec::readU8(in, EGifFileReadError());
        if (kind == 0x3B)
            throw EGifNoMoreImages();
        if (kind == 0x21) {
            const uint8_t label = codec::readU8(in, EGifFileReadError());
            SubBlocks blocks(in);
            if (label == 0xFE)
                blocks.appendTo(text, 65536);
            else
                blocks.skipRest();
            continue;
        }
        if (kind != 0x2C)
            throw EGifCorruptFile();

        uint8_t desc[9];
        codec::readExact(in, desc, sizeof desc, EGifFileReadError());
        const int left = codec::le16(desc), top = codec::le16(desc + 2);
        const int w = codec::le16(desc + 4), h = codec::le16(desc + 6);
        const uint8_t imageFlags = desc[8];
        if (w == 0 || h == 0)
            throw EGifCorruptFile();
        uint32_t local[256] = {};
        const bool hasLocal = imageFlags & 0x80;
        const int localEntries = 2 << (imageFlags & 7);
        if (hasLocal)
            readColourTable(in, localEntries, local);

        const int canvasW = std::max(screenW, left + w);
        const int canvasH = std::max(screenH, top + h);
        // The compressed data is at least one byte per 8 pixels' worth of
        // codes only in theory; what protects memory is the size limit.
        codec::createImage(image, 8, canvasW, canvasH);
        const uint32_t* table = hasLocal ? local : global;
        const int entries = hasLocal ? localEntries : (hasGlobal ? globalEntries : 0);
        for (int i = 0; i < 256; ++i)
            image.palette()[i] = i < entries ? table[i] : 0;
        std::memset(image.bits(), hasGlobal ? background : 0, image.byteSize());
        decodeImage(in, image, left, top, w, h, imageFlags & 0x40);

        // Comments may also follow the first image.
        if (comment) {
            for (;;) {
                uint8_t k;
                if (in.read(&k, 1) != 1 || k != 0x21)
                    break;
                uint8_t label;
                if (in.read(&label, 1) != 1)
                    break;
                SubBlocks blocks(in);
                try {
                    if (label == 0xFE)
                        blocks.appendTo(text, 65536);
                    else
                        blocks.skipRest();
                } catch (const EGraphicsException&) {
                    break;
                }
            }
            *comment = text;
        }
        return;
    }
}

}  // namespace gz
