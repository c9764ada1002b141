// One event line of the remote: "kEhhhhhhhh\n", 11 bytes of ASCII.
//
//   byte 0     the key, one hexadecimal digit ('0'..'7' on this board)
//   byte 1     'D' pressed, 'U' released
//   bytes 2-9  the board's uptime in milliseconds at the event, eight
//              upper-case hexadecimal digits (wraps after about 49.7 days)
//   byte 10    LF
//
// Pure: no hardware, so the same code builds for the host.
#ifndef REMOTE_LINE_H
#define REMOTE_LINE_H

#include <stdbool.h>
#include <stdint.h>

#define REMOTE_LINE_LENGTH 11

// Writes exactly REMOTE_LINE_LENGTH bytes (no NUL) to `out`. `key` 0..15.
void remote_line_format(char out[REMOTE_LINE_LENGTH], uint8_t key, bool pressed,
                        uint32_t uptime_ms);

#endif
