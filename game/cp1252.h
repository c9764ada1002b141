// The 8-bit code page of the game's texts (Windows-1252) and Unicode.
// Header-only so build-time tools can use it without linking anything.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gz::cp1252 {

// Unicode of the bytes 0x80..0x9F; 0 where the code page leaves a byte
// undefined (those map to the C1 control of the same value).
inline constexpr char16_t kHigh[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

constexpr char32_t toUnicode(uint8_t b)
{
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
        return kHigh[b - 0x80];
    return b;
}

// The byte for a code point, or '?' (as the platform's default character)
// when the code page has none.
constexpr char fromUnicode(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return static_cast<char>(0x80 + i);
    if (c >= 0x80 && c < 0xA0 && kHigh[c - 0x80] == 0)
        return static_cast<char>(c);
    return '?';
}

// UTF-8 <-> Windows-1252 for the texts shown by the user interface.
inline std::string toUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        char32_t c = toUnicode(b);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string fromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        char32_t c = 0;
        int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > utf8.size()) {
            out += '?';   // stray or truncated byte
            ++i;
            continue;
        }
        c = len == 1 ? b : b & (0x7F >> len);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char n = static_cast<unsigned char>(utf8[i + k]);
            ok = ok && (n >> 6) == 2;
            c = (c << 6) | (n & 0x3F);
        }
        out += ok ? fromUnicode(c) : '?';
        i += ok ? len : 1;
    }
    return out;
}

}  // namespace gz::cp1252
