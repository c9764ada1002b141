// Row kernels of the area-averaging resample: the weighted sums down a set
// of source rows and across one averaged row, each divided by its span and
// truncated to bytes. Separate from the axis bookkeeping so the kernels can
// be checked on their own against plain integer arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gz::resample_rows {

// Spans (in 1/256 pixel) up to this limit are divided by one float multiply
// with a reciprocal rounded slightly up: for every sum a <= 255 * span the
// product then lies in [q, q + 1) for q = floor(a / span), so truncation
// gives exactly the integer quotient. (The margin needed is 256 * 2^-20 <
// 1 / span, true below about 3600.)
constexpr uint32_t kFastSpanLimit = 2048;

float reciprocalFor(uint32_t span);   // span in 1..kFastSpanLimit

// out[j] = floor(a / span) for j < n, where a sums weights[r] * rows[r][j]
// over r < count, span is what the weights add up to and inverse is
// reciprocalFor(span). count is 1..9: a span of at most kFastSpanLimit
// touches no more rows.
constexpr int kMaxFastRows = 9;
void averageDown(const uint8_t* const* rows, const uint16_t* weights, int count, std::size_t n, float inverse,
                 uint8_t* out);

// One target row from an averaged source row of 3- or 4-byte pixels: target
// pixel k sums up to 2 * pairs source pixels from first[k] on, weighted in
// pairs (w | w' << 16; unused taps weigh 0), and multiplies by inverse[k].
// The pairs of four target pixels at a time lie together, pair p of pixel
// k at pairIndex(pairs, k, p), so one load gives a pair for all four.
// `line` must be readable for 2 * pairs pixels and one byte past every
// first[k]. outBytes 3 writes B G R; 4 writes B G R A with A averaged like
// the colours for 4-byte input and 0 for 3-byte input.
constexpr int kMaxPairs = (kMaxFastRows + 1) / 2;
struct AcrossTaps {
    int pairs;   // 1..kMaxPairs
    const int32_t* first;
    const uint32_t* weights;
    const float* inverse;
};
inline std::size_t pairIndex(int pairs, int k, int p)
{
    return (static_cast<std::size_t>(k / 4) * pairs + p) * 4 + k % 4;
}
// Length of the weights for `width` target pixels.
inline std::size_t pairsLength(int pairs, int width)
{
    return static_cast<std::size_t>((width + 3) / 4) * 4 * pairs;
}
// `ahead` names memory the caller reads next (the source rows of the next
// target row); it is fetched into the cache while this row is computed,
// which hides most of the memory latency of a large source.
struct Ahead {
    const uint8_t* from = nullptr;
    std::size_t bytes = 0;
};
void averageAcross(const uint8_t* line, int inBytes, const AcrossTaps& taps, int width, uint8_t* out, int outBytes,
                   Ahead ahead = {});

// Alpha bytes (every 4th byte from 3) of rows of 32-bit pixels: 0 or 255
// when all of them have that value, -1 when they differ (or any other
// value occurs). Rows are [first + k * step, + 4 * width) for k < height.
int uniformAlpha(const uint8_t* first, std::ptrdiff_t step, int width, int height);

}  // namespace gz::resample_rows
