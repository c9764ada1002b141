// BMP: Windows bitmaps with a file header ("BM") or a bare info header.
//
// Reading: info headers of 12 (OS/2), 40, 52, 56, 64, 108 and 124 bytes;
// 1, 4 and 8 bits with palette (uncompressed or RLE4/RLE8), 16 and 32 bits
// (plain or with bit fields), 24 bits; bottom-up and top-down rows.
// Palette depths keep their depth; 16-bit 5-5-5 stays 15 bits, 5-6-5 stays
// 16 bits; other bit fields become 24 or 32 bits (32 when there is alpha).
// Writing: 1/4/8 bits with their palette, 32 bits as 32-bit BMP when the
// writer option is >= 0, everything else as 24 bits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/codec_common.h"

namespace gz {

class EBmpFileOpenError : public EGraphicsException {
public:
    EBmpFileOpenError() : EGraphicsException("Fehler beim Öffnen der BMP-Datei !") {}
};
class EBmpFileReadError : public EGraphicsException {
public:
    EBmpFileReadError() : EGraphicsException("Fehler beim Lesen der BMP-Datei !") {}
};
class EBmpNotABmpFile : public EGraphicsException {
public:
    EBmpNotABmpFile() : EGraphicsException("Die Datei ist keine BMP-Datei !") {}
};
class EBmpCorruptFile : public EGraphicsException {
public:
    EBmpCorruptFile() : EGraphicsException("Beschädigte BMP-Datei !") {}
};
class EBmpNotSupported : public EGraphicsException {
public:
    EBmpNotSupported() : EGraphicsException("Das Format der BMP-Datei wird nicht unterstützt !") {}
};
class EBmpUnknownError : public EGraphicsException {
public:
    EBmpUnknownError() : EGraphicsException("Unknown error") {}
};
class EBmpFileWriteError : public EGraphicsException {
public:
    EBmpFileWriteError() : EGraphicsException("Fehler beim Schreiben BMP-Datei !") {}
};
class EBmpDataError : public EGraphicsException {
public:
    EBmpDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};

void readBmp(ByteReader& in, RasterImage& image);
// writeOption: the process-wide writer option (>= 0 asks for 32-bit output).
void writeBmp(ByteWriter& out, const RasterImage& image, int writeOption);

}  // namespace gz
