// PNG through libpng 1.6.
//
// Reading: palette files keep their bit depth (1, 2, 4, 8) and palette; a
// transparency chunk whose non-opaque entries some pixel uses turns the
// picture into 32 bits with alpha. Colour files become 24 bits (32 with an
// alpha channel or a transparent colour), samples in blue-green-red order;
// 16-bit samples are cut to 8. Grey files keep bit depths 1..8 as indexed
// pictures with a grey palette; grey with alpha becomes 32 bits.
// The comment is the last text chunk keyed "Comment", else the first one.
// With `orientation`, it receives the EXIF orientation of an eXIf chunk (0
// without one); the picture itself is left as stored.
// Errors: EGraphicsException with libpng's message, "Fehler beim Lesen" on
// a short read, "Interner Fehler"/"Zu wenig Speicher" when libpng cannot
// start, "Das Format wird nicht unterstützt" for a zero size.
//
// Writing: 1/2/4/8-bit pictures as palette PNG of that depth with all 2^bits
// entries, 32 bits with `alpha` as RGBA, everything else as 8-bit RGB. An
// empty picture is "Ungültiges Bild"; a short write "Fehler beim Schreiben".
// `settings` picks zlib level and strategy and the row filters of colour
// pictures; palette pictures stay unfiltered, as libpng writes them anyway.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imaging/codec_common.h"
#include "imaging/png_write_settings.h"

namespace gz {

void readPng(ByteReader& in, RasterImage& image, std::string* comment, int* orientation = nullptr);
void writePng(ByteWriter& out, const RasterImage& image, std::optional<std::string_view> comment, bool alpha,
              const PngWriteSettings& settings = kPngDefaultSettings);

}  // namespace gz
