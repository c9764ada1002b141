// EPS and TLS. Reading them is not built: EPS needs a PostScript
// interpreter and TLS is an image sequence container. The loader still
// recognises them, and each reader refuses with its own exception, so such a
// file gives -1 and a clear message instead of a wrong picture.
// EPS writing is built: the picture as hexadecimal data of the PostScript
// "image" operator (1-bit pictures) or "colorimage" (everything else),
// scaled to one point per pixel.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EEpsDataError : public EGraphicsException {
public:
    EEpsDataError() : EGraphicsException("Falsche Bild-Daten !") {}
};
class EEpsFileOpenError : public EGraphicsException {
public:
    EEpsFileOpenError() : EGraphicsException("Fehler beim Öffnen der EPS-Datei !") {}
};
class EEpsFileWriteError : public EGraphicsException {
public:
    EEpsFileWriteError() : EGraphicsException("Fehler beim Schreiben EPS-Datei !") {}
};
class EEpsNotSupported : public EGraphicsException {
public:
    EEpsNotSupported() : EGraphicsException("Das Format der EPS-Datei wird nicht unterstützt !") {}
};
class ETlsNotATlsFile : public EGraphicsException {
public:
    ETlsNotATlsFile() : EGraphicsException("Die Datei ist keine TLS-Datei !") {}
};

void readEps(ByteReader& in, RasterImage& image);   // EEpsNotSupported
void readTls(ByteReader& in, RasterImage& image);   // ETlsNotATlsFile
void writeEps(ByteWriter& out, const RasterImage& image);

}  // namespace gz
