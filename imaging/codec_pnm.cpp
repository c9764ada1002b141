#include "imaging/codec_pnm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace gz {

namespace {

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class Scanner {
public:
    explicit Scanner(ByteReader& in) : in_(in) {}

    int get()
    {
        uint8_t b;
        return in_.read(&b, 1) == 1 ? b : -1;
    }

    // Skips white space and comments, then reads an unsigned decimal number.
    // Throws EPnmCorruptFile for anything else, EPnmFileReadError at the end.
    uint32_t number(uint32_t maximum)
    {
        int c = skipToToken();
        if (c < '0' || c > '9')
            throw EPnmCorruptFile();
        uint64_t v = 0;
        while (c >= '0' && c <= '9') {
            v = v * 10 + static_cast<unsigned>(c - '0');
            if (v > maximum)
                throw EPnmCorruptFile();
            c = get();
        }
        last_ = c;
        return static_cast<uint32_t>(v);
    }

    // A plain-bitmap digit: 0 or 1, white space between digits optional.
    int bit()
    {
        const int c = skipToToken();
        if (c != '0' && c != '1')
            throw EPnmCorruptFile();
        return c - '0';
    }

    // The character that ended the last number (the single separator before
    // raw data).
    int last() const { return last_; }

private:
    int skipToToken()
    {
        for (;;) {
            int c = get();
            if (c == '#') {
                while (c >= 0 && c != '\n' && c != '\r')
                    c = get();
                continue;
            }
            if (c < 0)
                throw EPnmFileReadError();
            if (!isSpace(c))
                return c;
        }
    }

    ByteReader& in_;
    int last_ = -1;
};

uint8_t scale(uint32_t v, uint32_t maxval)
{
    if (v > maxval)
        v = maxval;
    return static_cast<uint8_t>(maxval == 255 ? v : (v * 255 + maxval / 2) / maxval);
}

}  // namespace

void readPnm(ByteReader& in, RasterImage& image)
{
    Scanner s(in);
    const int p = s.get();
    const int kind = s.get() - '0';
    if (p != 'P' || kind < 1 || kind > 6)
        throw EPnmNotAPnmFile();
    const uint32_t w = s.number(1u << 20);
    const uint32_t h = s.number(1u << 20);
    const bool bitmap = kind == 1 || kind == 4;
    const uint32_t maxval = bitmap ? 1 : s.number(65535);
    if (w == 0 || h == 0 || maxval == 0)
        throw EPnmCorruptFile();
    const bool raw = kind >= 4;
    if (raw && !isSpace(s.last()))
        throw EPnmCorruptFile();

    const int samples = (kind == 3 || kind == 6) ? 3 : 1;
    const int depth = bitmap ? 1 : (samples == 3 ? 24 : 8);
    const uint64_t sampleBytes = maxval > 255 ? 2 : 1;
    const uint64_t rowBytes = bitmap ? (w + 7) / 8 : static_cast<uint64_t>(w) * samples * sampleBytes;
    codec::checkPictureSize(w, h, depth, raw ? rowBytes : 0);
    // Every sample takes at least one byte of the file.
    const uint64_t minimum = raw ? rowBytes * h : static_cast<uint64_t>(w) * h * samples;
    if (minimum > in.remaining())
        throw EPnmFileReadError();

    codec::createImage(image, depth, static_cast<int>(w), static_cast<int>(h));
    if (bitmap) {
        image.palette()[0] = 0xFFFFFF;   // 0 = white, 1 = ink
        image.palette()[1] = 0x000000;
    } else if (samples == 1) {
        for (int i = 0; i < 256; ++i)
            image.palette()[i] = static_cast<uint32_t>(i) * 0x010101u;
    }

    const EPnmFileReadError readError;
    std::vector<uint8_t> row(raw ? static_cast<std::size_t>(rowBytes) : 0);
    const int iw = static_cast<int>(w);
    for (int y = 0; y < static_cast<int>(h); ++y) {
        uint8_t* out = image.row(y);
        if (raw) {
            codec::readExact(in, row.data(), row.size(), readError);
            if (bitmap) {
                std::memcpy(out, row.data(), row.size());
            } else {
                for (int x = 0; x < iw; ++x) {
                    uint32_t v[3];
                    for (int k = 0; k < samples; ++k) {
                        const std::size_t at = (static_cast<std::size_t>(x) * samples + k) * sampleBytes;
                        v[k] = sampleBytes == 2 ? codec::be16(&row[at]) : row[at];
                    }
                    if (samples == 1) {
                        out[x] = scale(v[0], maxval);
                    } else {
                        out[3 * x + 0] = scale(v[2], maxval);
                        out[3 * x + 1] = scale(v[1], maxval);
                        out[3 * x + 2] = scale(v[0], maxval);
                    }
                }
            }
        } else {
            for (int x = 0; x < iw; ++x) {
                if (bitmap) {
                    image.setPixel(x, y, static_cast<uint32_t>(s.bit()));
                } else if (samples == 1) {
                    out[x] = scale(s.number(65535), maxval);
                } else {
                    const uint32_t red = s.number(65535), green = s.number(65535), blue = s.number(65535);
                    out[3 * x + 0] = scale(blue, maxval);
                    out[3 * x + 1] = scale(green, maxval);
                    out[3 * x + 2] = scale(red, maxval);
                }
            }
        }
        codec::progress(image, y + 1, h);
    }
}

void writePnm(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw EPnmDataError();
    const int w = image.width();
    const int h = image.height();
    const bool bitmap = image.bitsPerPixel() == 1;
    char header[64];
    const int n = bitmap ? std::snprintf(header, sizeof header, "P4 %i %i ", w, h)
                         : std::snprintf(header, sizeof header, "P6 %i %i 255 ", w, h);
    const EPnmFileWriteError writeError;
    codec::writeAll(out, header, static_cast<std::size_t>(n), writeError);

    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    std::vector<uint8_t> row(bitmap ? (static_cast<std::size_t>(w) + 7) / 8 : static_cast<std::size_t>(w) * 3);
    for (int y = 0; y < h; ++y) {
        codec::rowColours(image, y, colours.data());
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colours[x];
            if (bitmap) {
                const uint32_t luma = ((c >> 16 & 0xFF) * 299 + (c >> 8 & 0xFF) * 587 + (c & 0xFF) * 114) / 1000;
                if (luma < 128)
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                row[3 * x + 0] = static_cast<uint8_t>(c >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(c);
            }
        }
        codec::writeAll(out, row.data(), row.size(), writeError);
        codec::progress(image, y + 1, h);
    }
}

}  // namespace gz
