// GIF (87a and 89a).
//
// Reading: the first image of the stream, placed on its logical screen
// (filled with the background colour) as an 8-bit indexed picture with the
// local or global colour table; interlaced images are put in row order.
// Comment extensions make the comment; graphic control, application (e.g.
// the "NETSCAPE2.0" loop) and plain-text extensions are skipped.
// Writing is not built (saveImageFile reports "Kann Format nicht
// verarbeiten").
#pragma once

#include <string>

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

}  // namespace gz
