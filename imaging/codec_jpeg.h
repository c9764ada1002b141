// JPEG through libjpeg's version 6b interface (libjpeg-turbo here).
//
// Reading: greyscale and three-component files become 24-bit pictures in
// blue-green-red order (grey written to all three channels); CMYK/YCCK
// files are converted to 24-bit RGB as well (Adobe's inverted CMYK). The
// comment is all COM markers joined (each kept up to 4096 bytes). With
// `orientation`, it receives the orientation of the first APP1 "Exif"
// marker (0 without one); the picture itself is left as stored.
// libjpeg's fatal errors raise EJpegError "Fehler %i beim Laden der Jpeg
// Datei" with libjpeg's message code; a progress abort raises EJpegAbort.
// Corrupt-data warnings are not fatal: libjpeg fills what is missing.
//
// Writing: any picture as 3-component baseline JPEG of the given quality;
// a comment goes into one COM marker (at most 65533 bytes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/codec_common.h"

namespace gz {

class EJpegOpenError : public EGraphicsException {
public:
    EJpegOpenError() : EGraphicsException("Fehler beim Öffnen der Datei !") {}
};

class EJpegError : public EGraphicsException {
public:
    explicit EJpegError(int code);
    explicit EJpegError(std::string_view message) : EGraphicsException(message) {}
};

// A file that cannot be written: the message above with libjpeg's own code
// for an output write error.
EJpegError jpegWriteError();

class EJpegAbort : public EGraphicsAbort {
public:
    EJpegAbort() = default;
};

class EJpegBadData : public EGraphicsException {
public:
    EJpegBadData() : EGraphicsException("Falsche Bild-Daten !") {}
};

constexpr int kJpegWriteQuality = 90;

void readJpeg(ByteReader& in, RasterImage& image, std::string* comment, int* orientation = nullptr);
void writeJpeg(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment,
               int quality = kJpegWriteQuality);

}  // namespace gz
