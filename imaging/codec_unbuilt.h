// Readers of the formats whose codecs are not built: EPS (PostScript needs
// an interpreter) and TLS (an image sequence container). The loader still
// recognises them, and each reader refuses with its own exception, so such
// a file gives -1 and a clear message instead of a wrong picture.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

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

}  // namespace gz
