#include "remote_line.h"

static char hex_digit(uint8_t v)
{
    v &= 0x0F;
    return (char)(v < 10 ? '0' + v : 'A' + (v - 10));
}

void remote_line_format(char out[REMOTE_LINE_LENGTH], uint8_t key, bool pressed,
                        uint32_t uptime_ms)
{
    out[0] = hex_digit(key);
    out[1] = pressed ? 'D' : 'U';
    // Most significant digit first, so the text reads as the number.
    for (uint8_t i = 0; i < 8; ++i) {
        out[9 - i] = hex_digit((uint8_t)(uptime_ms & 0x0F));
        uptime_ms >>= 4;
    }
    out[10] = '\n';
}
