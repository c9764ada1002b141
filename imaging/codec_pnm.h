// PNM: the six Netpbm forms P1..P6 (plain and raw bitmap, greymap, pixmap).
//
// Reading: P1/P4 become 1-bit pictures (palette white, black), P2/P5 8-bit
// indexed grey, P3/P6 24 bits; maximum values up to 65535 are scaled to 8
// bits. Comments (#) in the header are skipped.
// Writing: "P4 %i %i " for 1-bit pictures (dark palette entries as ink),
// "P6 %i %i 255 " for every other depth.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EPnmFileOpenError : public EGraphicsException {
public:
    EPnmFileOpenError() : EGraphicsException("Fehler beim Öffnen der PNM-Datei !") {}
};
class EPnmFileReadError : public EGraphicsException {
public:
    EPnmFileReadError() : EGraphicsException("Fehler beim Lesen der PNM-Datei !") {}
};
class EPnmNotAPnmFile : public EGraphicsException {
public:
    EPnmNotAPnmFile() : EGraphicsException("Die Datei ist keine PNM-Datei !") {}
};
class EPnmCorruptFile : public EGraphicsException {
public:
    EPnmCorruptFile() : EGraphicsException("Beschädigte PNM-Datei !") {}
};
class EPnmFileWriteError : public EGraphicsException {
public:
    EPnmFileWriteError() : EGraphicsException("Fehler beim Schreiben PNM-Datei !") {}
};
class EPnmDataError : public EGraphicsException {
public:
    EPnmDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};

void readPnm(ByteReader& in, RasterImage& image);
void writePnm(ByteWriter& out, const RasterImage& image);

}  // namespace gz
