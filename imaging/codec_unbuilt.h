// Readers of the formats whose codecs are not built yet: XPM, XWD, EPS and
// TLS. The loader recognises them, and each reader refuses with its own
// exception, so loading such a file gives -1 and a clear message instead of
// a wrong picture.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EXpmError : public EGraphicsException {
public:
    explicit EXpmError(std::string_view message) : EGraphicsException(message) {}
};
class EXwdNotAXwdFile : public EGraphicsException {
public:
    EXwdNotAXwdFile() : EGraphicsException("Die Datei ist keine XWD-Datei !") {}
};
class EEpsNotSupported : public EGraphicsException {
public:
    EEpsNotSupported() : EGraphicsException("Das Format der EPS-Datei wird nicht unterstützt !") {}
};
class ETlsNotATlsFile : public EGraphicsException {
public:
    ETlsNotATlsFile() : EGraphicsException("Die Datei ist keine TLS-Datei !") {}
};

void readXpm(ByteReader& in, RasterImage& image);   // EXpmError "Unbekantes Format"
void readXwd(ByteReader& in, RasterImage& image);   // EXwdNotAXwdFile
void readEps(ByteReader& in, RasterImage& image);   // EEpsNotSupported
void readTls(ByteReader& in, RasterImage& image);   // ETlsNotATlsFile

}  // namespace gz
