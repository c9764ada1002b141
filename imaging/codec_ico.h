// ICO/CUR: the icon directory's largest, deepest entry. Entries are DIBs of
// 1, 4, 8, 24 or 32 bits with an AND mask, or embedded PNG images. The
// result is a 32-bit picture whose alpha comes from the 32-bit entry's
// alpha channel or else from the AND mask. Reading only.
#pragma once

#include "imaging/codec_common.h"

namespace gz {

class EIconError : public EGraphicsException {
public:
    explicit EIconError(std::string_view message) : EGraphicsException(message) {}
};

void readIco(ByteReader& in, RasterImage& image);

}  // namespace gz
