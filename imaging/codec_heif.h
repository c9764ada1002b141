// HEIF reading through libheif: HEIC (HEVC) from phones and AVIF (AV1)
// from browsers, both in the same container. Of a file with several
// pictures the primary one is read.
//
// Pictures with alpha become 32 bits (straight alpha), all others 24 bits;
// deeper samples (10 and 12 bits) are brought down to 8. libheif applies
// the container's own crop, rotation and mirroring (clap, irot, imir).
// With `orientation`, it receives the EXIF orientation of the file's Exif
// block, but only when the container does not turn the picture itself
// (see heif_container.h); otherwise 0, as for a file without Exif.
// The file is read into memory first (refused with EGraphicsPicSize beyond
// the memory limit), as is a picture wider or higher than RasterImage's
// limit.
//
// Errors (EHeifError): "Fehler beim Lesen der HEIF-Datei !" on a short
// read, "Die Datei ist keine HEIF-Datei !" for another file type, "Das
// Format der HEIF-Datei wird nicht unterstützt !" for codecs or features
// libheif lacks, "Beschädigte HEIF-Datei !" for damaged or cut data.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EHeifError : public EGraphicsException {
public:
    explicit EHeifError(std::string_view message) : EGraphicsException(message) {}
};

void readHeif(ByteReader& in, RasterImage& image, int* orientation = nullptr);

}  // namespace gz
