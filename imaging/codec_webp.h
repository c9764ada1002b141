// WebP reading through libwebp (lossy, lossless and extended files; of an
// animation the first frame as shown on its canvas).
//
// Pictures with alpha become 32 bits (straight alpha), all others 24 bits.
// The file is read into memory first (refused with EGraphicsPicSize beyond
// the memory limit) and decoded a piece at a time, so the progress callback
// sees the rows coming and may abort. With `orientation`, it receives the
// EXIF orientation of the file's EXIF chunk (0 without one); the picture
// itself is left as stored.
//
// Errors (EWebpError): "Fehler beim Lesen der WebP-Datei !" on a short
// read, "Die Datei ist keine WebP-Datei !" when libwebp does not know the
// header, "Das Format der WebP-Datei wird nicht unterstützt !" for features
// libwebp refuses, "Beschädigte WebP-Datei !" for damaged or cut data.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EWebpError : public EGraphicsException {
public:
    explicit EWebpError(std::string_view message) : EGraphicsException(message) {}
};

void readWebp(ByteReader& in, RasterImage& image, int* orientation = nullptr);

}  // namespace gz
