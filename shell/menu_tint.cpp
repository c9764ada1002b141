#include "shell/menu_tint.h"

namespace gz {

uint32_t disabledMenuPixel(uint32_t colour)
{
    colour &= 0xFFFFFF;
    if (colour == kMenuTransparent)
        return colour;
    const uint32_t v = ((colour & 0xFF) * 128 + ((colour >> 8) & 0xFF) * 85 + ((colour >> 16) & 0xFF) * 44) / 256;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (kMenuDisabledTint >> shift) & 0xFF;
        const uint32_t t = v > 192 ? c + ((256 - c) * ((v - 192) / 4)) / 64 : c * (v / 3 + 192) / 256;
        out |= (t > 255 ? 255 : t) << shift;
    }
    return out;
}

}  // namespace gz
