// TIFF.
//
// Reading through libtiff: the first picture of the file in any of its
// usual forms (strips or tiles, chunky or planar, uncompressed, PackBits,
// LZW, Deflate, JPEG, CCITT and the rest libtiff knows; 1 to 16-bit
// samples; grey, palette, RGB, CMYK, YCbCr, Lab; with or without alpha).
//   - Grey and palette files of 1, 2, 4 or 8 bits, and 16-bit grey, become
//     indexed pictures of that depth (16 bits: 8) with their colour map or
//     a grey ramp (inverted for white-is-zero).
//   - RGB and grey with alpha of 8 or 16 bits become 24 bits, or 32 with
//     straight alpha (associated alpha is divided out); 16-bit samples are
//     scaled to 8.
//   - Everything else goes through libtiff's RGBA conversion and becomes 24
//     bits, or 32 with alpha.
// With `orientation`, it receives the Orientation tag (1 without one); the
// picture itself is left as stored.
// Errors (ETiffError): "Falscher Header" when libtiff cannot open the file,
// "Falscher Eintrag" for a missing or impossible size, "Modus ist nicht
// unterstützt" for a compression libtiff lacks or a sample layout it cannot
// convert, "Fehler beim Lesen" for damaged or missing picture data.
//
// Writing: one uncompressed little-endian strip; 1/4/8-bit pictures as
// palette images with their colour map, everything else as 8-bit RGB.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class ETiffError : public EGraphicsException {
public:
    explicit ETiffError(std::string_view message) : EGraphicsException(message) {}
};

void readTiff(ByteReader& in, RasterImage& image, int* orientation = nullptr);
void writeTiff(ByteWriter& out, const RasterImage& image);

}  // namespace gz
