// XPM (version 3, the C source form; XPM2 text works as well since only the
// quoted strings are read).
//
// Reading: up to 8 characters per pixel; colours from the "c" key (else
// "g", "g4", "m") as #RGB, #RRGGBB, #RRRRGGGGBBBB, a few common names or
// None. Up to 256 colours without None give an 8-bit indexed picture,
// anything else a 24-bit picture, or 32 bits with alpha when None is used.
// Writing: one or two characters per pixel for indexed pictures, more for
// direct colour; the array is named "unkown_xpm".
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EXpmError : public EGraphicsException {
public:
    explicit EXpmError(std::string_view message) : EGraphicsException(message) {}
};

void readXpm(ByteReader& in, RasterImage& image);
void writeXpm(ByteWriter& out, const RasterImage& image);

}  // namespace gz
