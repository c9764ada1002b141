#include "uikit/value_text.h"

#include <algorithm>
#include <cstring>

namespace gz {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t runLength(std::string_view s, int radix)
{
    std::size_t n = 0;
    while (n < s.size() && digitValue(s[n]) < radix)
        ++n;
    return n;
}

bool suffixAt(std::string_view s, std::size_t i, char lower)
{
    return i < s.size() && (s[i] == lower || s[i] == lower - 0x20);
}

// Unsigned conversion with one further sign; stops at the first non-digit.
uint32_t convert(std::string_view s, int radix)
{
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    bool negate = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negate = s[i] == '-';
        ++i;
    }
    uint64_t v = 0;
    bool overflow = false;
    for (; i < s.size() && digitValue(s[i]) < radix; ++i) {
        v = v * radix + digitValue(s[i]);
        if (v > 0xFFFFFFFFull) {
            overflow = true;
            v = 0xFFFFFFFFull;   // keep scanning, the result stays saturated
        }
    }
    uint32_t r = overflow ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
    return negate ? 0u - r : r;
}

}  // namespace

int32_t parseValueText(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    s.remove_prefix(i);

    int radix = 10;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        radix = 16;
        s.remove_prefix(2);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'o' || s[1] == 'O')) {
        radix = 8;
        s.remove_prefix(2);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'b' || s[1] == 'B')) {
        radix = 2;
        s.remove_prefix(2);
    } else {
        std::size_t h = runLength(s, 16), o = runLength(s, 8), b = runLength(s, 2);
        if (h > 0 && suffixAt(s, h, 'h'))
            radix = 16;
        else if (o > 0 && suffixAt(s, o, 'o'))
            radix = 8;
        else if (b > 0 && suffixAt(s, b, 'b'))
            radix = 2;
    }
    uint32_t v = convert(s, radix);
    if (negative)
        v = 0u - v;
    return static_cast<int32_t>(v);
}

std::string formatValueText(int32_t value, int format)
{
    const uint32_t u = static_cast<uint32_t>(value);
    auto digits = [u](int radix, bool upper) {
        if (u == 0)
            return std::string("0");
        std::string out;
        for (uint32_t v = u; v; v /= radix)
            out += (upper ? "0123456789ABCDEF" : "0123456789abcdef")[v % radix];
        std::reverse(out.begin(), out.end());
        return out;
    };
    switch (format) {
    case 0: return std::to_string(value);
    case 1: return "0x" + digits(16, true);
    case 2: return "0b" + digits(2, true);
    case 3: return "0o" + digits(8, true);
    case 4: return digits(16, true) + "h";
    case 5: return digits(2, true) + "b";
    case 6: return digits(8, true) + "o";
    default: return std::to_string(u);
    }
}

int copyTextOut(std::string_view text, char* buffer, int size)
{
    if (size <= 0 || !buffer)
        return 0;
    std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace gz
