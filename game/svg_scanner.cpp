#include "game/svg_scanner.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace gz::svg {

Matrix operator*(const Matrix& p, const Matrix& q)
{
    Matrix m;
    m.a = p.a * q.a + p.c * q.b;
    m.b = p.b * q.a + p.d * q.b;
    m.c = p.a * q.c + p.c * q.d;
    m.d = p.b * q.c + p.d * q.d;
    m.e = p.a * q.e + p.c * q.f + p.e;
    m.f = p.b * q.e + p.d * q.f + p.f;
    return m;
}

void Matrix::apply(double x, double y, double& outX, double& outY) const
{
    outX = a * x + c * y + e;
    outY = b * x + d * y + f;
}

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

}  // namespace

std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size())
        return std::string_view::npos;
    const char first = lower(needle[0]);
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        if (lower(hay[i]) == first && equalNoCase(hay.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

std::size_t findAttribute(std::string_view tag, std::string_view name)
{
    for (std::size_t at = findNoCase(tag, name, 1); at != std::string_view::npos;
         at = findNoCase(tag, name, at + 1)) {
        if (isBlank(tag[at - 1]))
            return at;
    }
    return std::string_view::npos;
}

bool startsWithKeyword(std::string_view text, std::string_view keyword)
{
    if (text.size() < keyword.size() || !equalNoCase(text.substr(0, keyword.size()), keyword))
        return false;
    return text.size() == keyword.size() || !isWordChar(text[keyword.size()]);
}

bool readNumber(std::string_view text, std::size_t& pos, double& value)
{
    std::size_t i = pos;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissa = i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        } else {
            negativeExponent = false;
        }
    }
    // from_chars is locale-independent (strtod would follow a German
    // LC_NUMERIC and stop at the decimal point) and takes no '+'.
    double v = 0;
    const char* first = text.data() + mantissa;
    const char* last = text.data() + i;
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        v = negativeExponent ? 0.0 : std::numeric_limits<double>::max();
    else if (ec != std::errc() || ptr != last)
        return false;
    value = negative ? -v : v;
    pos = i;
    return true;
}

namespace {

struct TransformFunction {
    std::string_view name;   // including "("
    int minNumbers;
    int maxNumbers;
};

constexpr TransformFunction kFunctions[] = {
    {"matrix(", 6, 6},
    {"translate(", 1, 2},
    {"scale(", 1, 2},
    {"rotate(", 1, 3},
    {"skewX(", 1, 1},
    {"skewY(", 1, 1},
};

Matrix translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }

Matrix functionMatrix(std::size_t which, const double* n, int count)
{
    switch (which) {
    case 0:
        return {n[0], n[1], n[2], n[3], n[4], n[5]};
    case 1:
        return translation(n[0], count > 1 ? n[1] : 0.0);
    case 2:
        return {n[0], 0, 0, count > 1 ? n[1] : n[0], 0, 0};
    case 3: {
        const double r = n[0] * kDegToRad;
        const Matrix rot{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0};
        if (count == 1)
            return rot;
        const double cx = n[1];
        const double cy = count > 2 ? n[2] : 0.0;
        return translation(cx, cy) * rot * translation(-cx, -cy);
    }
    case 4:
        return {1, 0, std::tan(n[0] * kDegToRad), 1, 0, 0};
    default:
        return {1, std::tan(n[0] * kDegToRad), 0, 1, 0, 0};
    }
}

}  // namespace

int readTransformList(std::string_view text, std::size_t pos, Matrix& result)
{
    if (pos > text.size())
        return 0;
    std::size_t end;
    if (pos < text.size() && text[pos] == '"') {
        ++pos;
        end = text.find('"', pos);
        if (end == std::string_view::npos)
            end = text.size();
    } else {
        end = pos + std::min(kUnquotedTransformLimit, text.size() - pos);
    }
    const std::string_view list = text.substr(0, end);

    int applied = 0;
    std::size_t i = pos;
    while (i < list.size()) {
        while (i < list.size() && isBlank(list[i]))
            ++i;
        if (i >= list.size())
            break;
        std::size_t which = std::size(kFunctions);
        for (std::size_t k = 0; k < std::size(kFunctions); ++k) {
            const std::string_view name = kFunctions[k].name;
            if (list.size() - i >= name.size() && equalNoCase(list.substr(i, name.size()), name)) {
                which = k;
                break;
            }
        }
        if (which < std::size(kFunctions)) {
            const TransformFunction& fn = kFunctions[which];
            i += fn.name.size();
            double numbers[7] = {};
            int count = 0;
            // One more than any function takes, so "too many" is seen.
            while (count < 7) {
                double v;
                if (!readNumber(list, i, v))
                    break;
                numbers[count++] = v;
                while (i < list.size() && isBlank(list[i]))
                    ++i;
                if (i < list.size() && list[i] == ',')
                    ++i;
            }
            if (count >= fn.minNumbers && count <= fn.maxNumbers) {
                result = result * functionMatrix(which, numbers, count);
                ++applied;
            }
        }
        const std::size_t close = list.find(')', i);
        if (close == std::string_view::npos)
            break;
        i = close + 1;
    }
    return applied;
}

int toPixel(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483646.5)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483647.5)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int>(std::round(v));
}

}  // namespace gz::svg
