#include "imaging/codec_gif.h"

#include <algorithm>
#include <optional>
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

namespace gz {

namespace {

class CodeWriter {
public:
    explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}
    void put(int code, int size)
    {
        bits_ |= static_cast<uint32_t>(code) << count_;
        count_ += size;
        while (count_ >= 8) {
            byte(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void finish()
    {
        if (count_ > 0)
            byte(static_cast<uint8_t>(bits_));
        if (fill_ > 0)
            flushBlock();
        out_.push_back(0);
    }

private:
    void byte(uint8_t b)
    {
        block_[fill_++] = b;
        if (fill_ == 255)
            flushBlock();
    }
    void flushBlock()
    {
        out_.push_back(static_cast<uint8_t>(fill_));
        out_.insert(out_.end(), block_, block_ + fill_);
        fill_ = 0;
    }

    std::vector<uint8_t>& out_;
    uint32_t bits_ = 0;
    int count_ = 0;
    uint8_t block_[255];
    int fill_ = 0;
};

// Index of the nearest entry of the default palette's colour cube.
uint8_t cubeIndex(uint32_t rgb)
{
    const auto level = [](uint32_t v) { return std::min<uint32_t>(5, (v > 20 ? v - 20 + 21 : 0) / 43); };
    return static_cast<uint8_t>(32 + 36 * level(rgb >> 16 & 0xFF) + 6 * level(rgb >> 8 & 0xFF) + level(rgb & 0xFF));
}

}  // namespace

void writeGif(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment)
{
    if (image.isEmpty())
        throw EGifError("Das Bils ist leer");
    const int w = image.width();
    const int h = image.height();
    if (w > 65535 || h > 65535)
        throw EGifError("Kann Format nicht verarbeiten");
    const int bpp = image.bitsPerPixel();
    const bool indexed = bpp <= 8;
    const int bits = indexed ? std::max(bpp, 2) : 8;   // LZW needs a minimum code size of 2
    uint32_t palette[256];
    if (indexed) {
        for (int i = 0; i < 256; ++i)
            palette[i] = i < image.paletteSize() ? image.palette()[i] : 0;
    } else {
        RasterImage cube;
        cube.create(8, 1, 1);
        std::memcpy(palette, cube.palette(), sizeof palette);
    }

    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
    codec::putLe16(b, static_cast<uint32_t>(w));
    codec::putLe16(b, static_cast<uint32_t>(h));
    b.push_back(static_cast<uint8_t>(0xF0 | (bits - 1)));
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; i < (1 << bits); ++i) {
        b.push_back(static_cast<uint8_t>(palette[i] >> 16));
        b.push_back(static_cast<uint8_t>(palette[i] >> 8));
        b.push_back(static_cast<uint8_t>(palette[i]));
    }
    if (comment && !comment->empty()) {
        b.push_back(0x21);
        b.push_back(0xFE);
        for (std::size_t i = 0; i < comment->size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, comment->size() - i);
            b.push_back(static_cast<uint8_t>(n));
            b.insert(b.end(), comment->begin() + static_cast<std::ptrdiff_t>(i),
                     comment->begin() + static_cast<std::ptrdiff_t>(i + n));
        }
        b.push_back(0);
    }
    b.push_back(0x2C);
    codec::putLe32(b, 0);
    codec::putLe16(b, static_cast<uint32_t>(w));
    codec::putLe16(b, static_cast<uint32_t>(h));
    b.push_back(0);
    b.push_back(static_cast<uint8_t>(bits));

    // LZW with a hashed string table: (prefix code, next index) -> code.
    const int clear = 1 << bits;
    const int end = clear + 1;
    int size = bits + 1;
    int next = clear + 2;
    constexpr int kHashSize = 5003 * 4;
    std::vector<int32_t> hashKey(kHashSize, -1);
    std::vector<int16_t> hashCode(kHashSize, 0);
    CodeWriter codes(b);
    codes.put(clear, size);
    int prefix = -1;
    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    const EGifFileReadError writeError;
    for (int y = 0; y < h; ++y) {
        if (!indexed)
            codec::rowColours(image, y, colours.data());
        for (int x = 0; x < w; ++x) {
            const int k = indexed ? static_cast<int>(image.pixel(x, y)) : cubeIndex(colours[x]);
            if (prefix < 0) {
                prefix = k;
                continue;
            }
            const int32_t key = prefix << 8 | k;
            int slot = static_cast<int>((static_cast<uint32_t>(key) * 2654435761u) % kHashSize);
            while (hashKey[slot] != -1 && hashKey[slot] != key)
                slot = (slot + 1) % kHashSize;
            if (hashKey[slot] == key) {
                prefix = hashCode[slot];
                continue;
            }
            codes.put(prefix, size);
            if (next < 4096) {
                hashKey[slot] = key;
                hashCode[slot] = static_cast<int16_t>(next++);
                if (next > (1 << size) && size < 12)
                    ++size;
            } else {
                codes.put(clear, size);
                std::fill(hashKey.begin(), hashKey.end(), -1);
                next = clear + 2;
                size = bits + 1;
            }
            prefix = k;
        }
        // Flush finished output now and then, so memory stays small.
        if (b.size() > 65536) {
            codec::writeAll(out, b.data(), b.size(), writeError);
            b.clear();
        }
        codec::progress(image, y + 1, h);
    }
    codes.put(prefix, size);
    codes.put(end, size);
    codes.finish();
    b.push_back(0x3B);
    codec::writeAll(out, b.data(), b.size(), writeError);
}

}  // namespace gz
