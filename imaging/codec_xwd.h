// XWD, the X window dump (version 7, big-endian header).
//
// Reading: Z pixmaps of 1, 8, 16, 24 or 32 bits per pixel and XY bitmaps of
// depth 1, either byte order. 8-bit dumps become indexed pictures with the
// dump's colour map; 1-bit dumps 1-bit pictures; direct-colour dumps
// 24-bit pictures through their channel masks.
// Writing: a 24-bit true-colour Z pixmap with 32 bits per pixel, most
// significant byte first, without a colour map.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EXwdFileOpenError : public EGraphicsException {
public:
    EXwdFileOpenError() : EGraphicsException("Fehler beim Öffnen der XWD-Datei !") {}
};
class EXwdFileReadError : public EGraphicsException {
public:
    EXwdFileReadError() : EGraphicsException("Fehler beim Lesen der XWD-Datei !") {}
};
class EXwdNotAXwdFile : public EGraphicsException {
public:
    EXwdNotAXwdFile() : EGraphicsException("Die Datei ist keine XWD-Datei !") {}
};
class EXwdFileWriteError : public EGraphicsException {
public:
    EXwdFileWriteError() : EGraphicsException("Fehler beim Schreiben XWD-Datei !") {}
};
class EXwdDataError : public EGraphicsException {
public:
    EXwdDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};

void readXwd(ByteReader& in, RasterImage& image);
void writeXwd(ByteWriter& out, const RasterImage& image);

}  // namespace gz
