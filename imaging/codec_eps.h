// EPS: pictures carried as hexadecimal data of the PostScript image
// operators. There is no PostScript interpreter here.
//
// Reading: the file is scanned as PostScript tokens (comments, DSC lines
// included, are skipped; %%BoundingBox is not trusted for the size) up to
// the first "image" or "colorimage" operator, whose operands must be plain
// literals:
//   W H BITS [a 0 0 d tx ty] {proc} image               BITS 1 or 8, grey
//   W H 8 [a 0 0 d tx ty] {proc} false 3 colorimage     (or false 1: grey)
// The procedure either reads the data from the file (currentfile ...
// readhexstring) or is one hexadecimal string literal that holds all of it.
// The data is hexadecimal, white space anywhere, each row padded to whole
// bytes; a negative a or positive d mirrors the rows as the matrix says.
// 1-bit pictures get the palette black, white (a set bit is white), 8-bit
// ones a grey palette, colour ones 24 bits. Any other program
// -> EEpsNotSupported; data that ends early -> EEpsCorruptFile.
// Writing: the picture as hexadecimal data of "image" (1-bit pictures) or
// "colorimage" (everything else), scaled to one point per pixel.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EEpsFileOpenError : public EGraphicsException {
public:
    EEpsFileOpenError() : EGraphicsException("Fehler beim Öffnen der EPS-Datei !") {}
};
class EEpsFileReadError : public EGraphicsException {
public:
    EEpsFileReadError() : EGraphicsException("Fehler beim Lesen der EPS-Datei !") {}
};
class EEpsNotAEpsFile : public EGraphicsException {
public:
    EEpsNotAEpsFile() : EGraphicsException("Die Datei ist keine EPS-Datei !") {}
};
class EEpsCorruptFile : public EGraphicsException {
public:
    EEpsCorruptFile() : EGraphicsException("Beschädigte EPS-Datei !") {}
};
class EEpsNotSupported : public EGraphicsException {
public:
    EEpsNotSupported() : EGraphicsException("Das Format der EPS-Datei wird nicht unterstützt !") {}
};
class EEpsUnknownError : public EGraphicsException {
public:
    EEpsUnknownError() : EGraphicsException("Unknown error") {}
};
class EEpsFileWriteError : public EGraphicsException {
public:
    EEpsFileWriteError() : EGraphicsException("Fehler beim Schreiben EPS-Datei !") {}
};
class EEpsDataError : public EGraphicsException {
public:
    EEpsDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};

void readEps(ByteReader& in, RasterImage& image);
void writeEps(ByteWriter& out, const RasterImage& image);

}  // namespace gz
