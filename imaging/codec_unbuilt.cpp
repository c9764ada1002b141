#include "imaging/codec_unbuilt.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace gz {

void readEps(ByteReader&, RasterImage&) { throw EEpsNotSupported(); }
void readTls(ByteReader&, RasterImage&) { throw ETlsNotATlsFile(); }

void writeEps(ByteWriter& out, const RasterImage& image)
{
    if (image.isEmpty())
        throw EEpsDataError();
    const int w = image.width();
    const int h = image.height();
    const bool bits = image.bitsPerPixel() == 1;
    const int rowBytes = bits ? (w + 7) / 8 : 3 * w;
    char head[512];
    const int n = std::snprintf(head, sizeof head,
                                "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %i %i\n%%%%EndComments\n"
                                "gsave\n/picstr %i string def\n%i %i scale\n%i %i %i [%i 0 0 -%i 0 %i]\n"
                                "{currentfile picstr readhexstring pop}\n%s\n",
                                w, h, rowBytes, w, h, w, h, bits ? 1 : 8, w, h, h,
                                bits ? "image" : "false 3 colorimage");
    const EEpsFileWriteError writeError;
    codec::writeAll(out, head, static_cast<std::size_t>(n), writeError);
    static const char kHex[] = "0123456789abcdef";
    std::vector<uint32_t> colours(static_cast<std::size_t>(w));
    std::vector<uint8_t> row(static_cast<std::size_t>(rowBytes));
    std::string text;
    for (int y = 0; y < h; ++y) {
        codec::rowColours(image, y, colours.data());
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colours[x];
            if (bits) {
                const uint32_t luma = ((c >> 16 & 0xFF) * 299 + (c >> 8 & 0xFF) * 587 + (c & 0xFF) * 114) / 1000;
                if (luma >= 128)   // set bits are white
                    row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                row[3 * x + 0] = static_cast<uint8_t>(c >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(c);
            }
        }
        text.clear();
        for (int i = 0; i < rowBytes; ++i) {
            text += kHex[row[i] >> 4];
            text += kHex[row[i] & 15];
            if (i % 36 == 35 || i + 1 == rowBytes)
                text += '\n';
        }
        codec::writeAll(out, text.data(), text.size(), writeError);
        codec::progress(image, y + 1, h);
    }
    static const char kTail[] = "grestore\nshowpage\n%%EOF\n";
    codec::writeAll(out, kTail, sizeof kTail - 1, writeError);
}

}  // namespace gz
