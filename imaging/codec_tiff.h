// TIFF, baseline subset: one image (the first directory), strips or tiles
// not mixed, uncompressed or PackBits, chunky samples of 8 bits (grey, RGB,
// RGB with an extra alpha sample, palette) or 1/4-bit grey and palette.
// Grey and palette become indexed pictures, RGB 24 bits, RGBA 32 bits.
// Tiles, LZW, Deflate, JPEG and CCITT compression, planar separation and
// 16-bit samples are refused with "Modus ist nicht unterstützt".
// Writing: one uncompressed little-endian strip; 1/4/8-bit pictures as
// palette images with their colour map, everything else as 8-bit RGB.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class ETiffError : public EGraphicsException {
public:
    explicit ETiffError(std::string_view message) : EGraphicsException(message) {}
};

void readTiff(ByteReader& in, RasterImage& image);
void writeTiff(ByteWriter& out, const RasterImage& image);

}  // namespace gz
