// GIF (87a and 89a).
//
// Reading: the first image of the stream, placed on its logical screen
// (filled with the background colour) as an 8-bit indexed picture with the
// local or global colour table; interlaced images are put in row order.
// Comment extensions make the comment; graphic control, application (e.g.
// the "NETSCAPE2.0" loop) and plain-text extensions are skipped.
// Writing: one GIF89a image with a global colour table; pictures of up to
// 8 bits keep their palette, deeper ones are mapped onto the 6 x 6 x 6
// colour cube of the default 8-bit palette (no dithering). A comment goes
// into a comment extension.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/codec_common.h"

namespace gz {

class EGifError : public EGraphicsException {
public:
    explicit EGifError(std::string_view message) : EGraphicsException(message) {}
};
class EGifFileReadError : public EGifError {
public:
    EGifFileReadError() : EGifError("Error reading from GIF file") {}
};
class EGifNotAGifFile : public EGifError {
public:
    EGifNotAGifFile() : EGifError("Stream is not in GIF format") {}
};
class EGifCorruptFile : public EGifError {
public:
    EGifCorruptFile() : EGifError("Gif stream is corrupt") {}
};
class EGifNoMoreImages : public EGifError {
public:
    EGifNoMoreImages() : EGifError("No more images in the GIF stream") {}
};

void readGif(ByteReader& in, RasterImage& image, std::string* comment);
void writeGif(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment);

}  // namespace gz
