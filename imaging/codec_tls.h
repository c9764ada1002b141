// TLS: the library's own picture sequence container. All numbers are
// little-endian.
//
//   file:   "TLSP"                  magic, 4 bytes
//           u32 version             1
//           u32 count               number of entries that follow
//           count entries
//   entry:  u32 width, u32 height   1..32768 each
//           u32 bitsPerPixel        8 (indexed), 24 or 32
//           8 bits only: 256 x u32 palette entries 0xAARRGGBB
//           height rows, top row first, width * bitsPerPixel / 8 bytes each
//           without padding: 8 bits one index per pixel, 24 bits blue,
//           green, red, 32 bits blue, green, red, alpha
//           u32 CRC-32 (the zlib one) of the entry from its width up to the
//           last row byte
//
// Reading takes the first entry; the sizes are checked against the
// remaining file before anything is allocated, and the picture counts only
// when the CRC matches. Writing makes a one-entry sequence: 8-bit entries
// for pictures of 8 bits or fewer (the palette copied, indexes kept),
// 32-bit entries for 32-bit pictures, 24-bit entries otherwise.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class ETlsFileOpenError : public EGraphicsException {
public:
    ETlsFileOpenError() : EGraphicsException("Fehler beim Öffnen der TLS-Datei !") {}
};
class ETlsFileReadError : public EGraphicsException {
public:
    ETlsFileReadError() : EGraphicsException("Fehler beim Lesen der TLS-Datei !") {}
};
class ETlsNotATlsFile : public EGraphicsException {
public:
    ETlsNotATlsFile() : EGraphicsException("Die Datei ist keine TLS-Datei !") {}
};
class ETlsCorruptFile : public EGraphicsException {
public:
    ETlsCorruptFile() : EGraphicsException("Beschädigte TLS-Datei !") {}
};
class ETlsNotFound : public EGraphicsException {
public:
    ETlsNotFound() : EGraphicsException("Das Bild wurde in der Sequenz nicht gefunden !") {}
};
class ETlsCrcError : public EGraphicsException {
public:
    ETlsCrcError() : EGraphicsException("Falsche CRC-Summe !") {}
};
class ETlsUnknownError : public EGraphicsException {
public:
    ETlsUnknownError() : EGraphicsException("Unknown error") {}
};
class ETlsFileWriteError : public EGraphicsException {
public:
    ETlsFileWriteError() : EGraphicsException("Fehler beim Schreiben TLS-Datei !") {}
};
class ETlsDataError : public EGraphicsException {
public:
    ETlsDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};

constexpr uint32_t kTlsVersion = 1;

void readTls(ByteReader& in, RasterImage& image);
void writeTls(ByteWriter& out, const RasterImage& image);

}  // namespace gz
