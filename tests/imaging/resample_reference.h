// The brute-force reference of the area average, written from the rule
// itself: each target pixel summed over its source span directly.
#pragma once

#include <cstdint>
#include <vector>

namespace gz::testing {

struct Span {
    int64_t start, end;
};

inline std::vector<Span> referenceSpans(int64_t s, int64_t d)
{
    int64_t num = s, den = d;
    if (s < d) {
        num = s - 1;
        den = d - 1;
    }
    while (num % 2 == 0 && den % 2 == 0 && num > 0 && den > 0) {
        num /= 2;
        den /= 2;
    }
    while (num * d * 256 > 0x7FFFFFFF) {
        num /= 2;
        den /= 2;
    }
    if (den == 0)
        den = 1;
    std::vector<Span> spans;
    for (int64_t i = 0; i < d; ++i) {
        Span sp{i * 256 * num / den, (i + 1) * 256 * num / den};
        if (sp.end < sp.start + 256)
            sp.end = sp.start + 256;
        if (sp.end > s * 256)
            sp.end = s * 256;
        spans.push_back(sp);
    }
    return spans;
}

// Weighted sum over a span of values v(p): first pixel 256 - start%256,
// whole pixels 256, the last partial one end%256. weightOf(p) lets the
// caller drop pixels (returns false to leave p out of sum and divisor).
template <typename Value, typename Keep>
inline void sumSpan(const Span& sp, Value v, Keep keep, uint64_t& sum, uint64_t& divisor)
{
    sum = divisor = 0;
    const int64_t first = sp.start >> 8, lastWhole = (sp.end >> 8) - 1;
    auto add = [&](int64_t p, uint64_t w) {
        if (w == 0 || !keep(p))
            return;
        sum += w * v(p);
        divisor += w;
    };
    add(first, 256 - (sp.start & 255));
    for (int64_t p = first + 1; p <= lastWhole; ++p)
        add(p, 256);
    if ((sp.end >> 8) > first)
        add(sp.end >> 8, static_cast<uint64_t>(sp.end & 255));
}

// Colour (0xAARRGGBB) of target pixel (k, i): the covered source rows are
// summed per source column and divided by the row span, then those values
// are summed over the column span and divided by it. mixedAlpha: pixels with
// alpha 0 are left out of the colour sums and divisors (in both passes),
// alpha averages over everything.
inline uint32_t referencePixel(const std::vector<uint32_t>& src, int sw, const Span& xs, const Span& ys, bool mixedAlpha)
{
    struct Mid {
        uint32_t pixel;
        bool hasColour;
    };
    auto columnValue = [&](int64_t x) {
        auto at = [&](int64_t y) { return src[static_cast<std::size_t>(y) * sw + x]; };
        Mid m{0, true};
        for (int shift = 0; shift < 32; shift += 8) {
            const bool isAlpha = shift == 24;
            uint64_t sum, div;
            sumSpan(
                ys, [&](int64_t y) { return (at(y) >> shift) & 255; },
                [&](int64_t y) { return isAlpha || !mixedAlpha || (at(y) >> 24) != 0; }, sum, div);
            if (!isAlpha && mixedAlpha) {
                m.hasColour = div != 0;
                m.pixel |= static_cast<uint32_t>(div ? sum / div : 0) << shift;
            } else {
                m.pixel |= static_cast<uint32_t>(sum / static_cast<uint64_t>(ys.end - ys.start)) << shift;
            }
        }
        return m;
    };
    uint32_t pixel = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const bool isAlpha = shift == 24;
        uint64_t sum, div;
        sumSpan(
            xs, [&](int64_t x) { return (columnValue(x).pixel >> shift) & 255; },
            [&](int64_t x) { return isAlpha || columnValue(x).hasColour; }, sum, div);
        if (!isAlpha && mixedAlpha)
            pixel |= static_cast<uint32_t>(div ? sum / div : 0) << shift;
        else
            pixel |= static_cast<uint32_t>(sum / static_cast<uint64_t>(xs.end - xs.start)) << shift;
    }
    return pixel;
}

inline std::vector<uint32_t> referenceAreaAverage(const std::vector<uint32_t>& src, int sw, int sh, int dw, int dh,
                                           bool mixedAlpha)
{
    const std::vector<Span> xs = referenceSpans(sw, dw), ys = referenceSpans(sh, dh);
    std::vector<uint32_t> out;
    for (int i = 0; i < dh; ++i)
        for (int k = 0; k < dw; ++k)
            out.push_back(referencePixel(src, sw, xs[k], ys[i], mixedAlpha));
    return out;
}

}  // namespace gz::testing
