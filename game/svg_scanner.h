// Small text helpers for the polygon file reader: case-blind search, the
// "tag starts with keyword" rule, bounded number reading and the SVG
// transform list. Everything works on string_views and never reads past
// the view it was given; nothing allocates.
#pragma once

#include <cstddef>
#include <string_view>

namespace gz::svg {

// Affine matrix (a b c d e f): (x, y) -> (a x + c y + e, b x + d y + f).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    static Matrix identity() { return {}; }
    // p * q: apply q first, then p.
    friend Matrix operator*(const Matrix& p, const Matrix& q);
    void apply(double x, double y, double& outX, double& outY) const;
};

constexpr double kDegToRad = 0.017453292519943295;
constexpr std::size_t kUnquotedTransformLimit = 4096;

// Position of the first occurrence of needle in hay ignoring ASCII case,
// or npos.
std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);

// Position of attribute `name` (given with its "=", e.g. "x=") in a tag,
// ignoring ASCII case, or npos. A name counts only where a name can start,
// right after blank space, so "d=" is not found inside "id=" nor "x=" inside
// "refx=".
std::size_t findAttribute(std::string_view tag, std::string_view name);

// True when text begins with keyword (ASCII case ignored) and the character
// after it, if text goes on, is not a letter, digit or '_'.
bool startsWithKeyword(std::string_view text, std::string_view keyword);

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads a decimal number (optional sign, digits, fraction, exponent) at
// text[pos], after skipping white space the way strtod does. Infinity, NaN
// and hexadecimal forms are not numbers here. On success stores the value
// (out-of-range magnitudes saturate to +-DBL_MAX), advances pos past the
// number and returns true; otherwise leaves pos unchanged.
bool readNumber(std::string_view text, std::size_t& pos, double& value);

// Reads the transform list that starts at text[pos] (the character right
// after "transform="): quoted lists end at the next double quote, unquoted
// ones after at most 4096 characters. Multiplies the functions applied into
// `result` (result = result * function) and returns how many were applied.
int readTransformList(std::string_view text, std::size_t pos, Matrix& result);

// Saturating conversion used for picture pixel coordinates: rounds to the
// nearest integer (halves away from zero), so 99.99998 written by a drawing
// program comes back as 100; NaN gives 0, values beyond the 32-bit range
// give the nearest limit.
int toPixel(double v);

}  // namespace gz::svg
