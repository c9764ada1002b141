// Row kernels of the area-averaging resample. SSE2 (part of every x86-64)
// does sixteen bytes at a time where it is available; the plain loops give
// the same bytes everywhere else.
#include "imaging/resample_rows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define GZ_RESAMPLE_SSE2 1
#endif

namespace gz::resample_rows {

float reciprocalFor(uint32_t span)
{
    return static_cast<float>((1.0 / span) * (1.0 + 0x1p-20));
}

namespace {

inline uint8_t quotient(int32_t sum, float inverse)
{
    return static_cast<uint8_t>(static_cast<int32_t>(static_cast<float>(sum) * inverse));
}

void averageDownPlain(const uint8_t* const* rows, const uint16_t* weights, int count, std::size_t from,
                      std::size_t n, float inverse, uint8_t* out)
{
    for (std::size_t j = from; j < n; ++j) {
        int32_t sum = 0;
        for (int r = 0; r < count; ++r)
            sum += weights[r] * rows[r][j];
        out[j] = quotient(sum, inverse);
    }
}

#if GZ_RESAMPLE_SSE2
// Rows go in pairs: the bytes of two rows interleaved and widened to 16 bits
// meet their two weights in one multiply-add. An odd last row pairs with
// itself at weight 0.
template <int Pairs>
std::size_t averageDownSse2(const uint8_t* const* rows, const uint16_t* weights, int count, std::size_t n,
                            float inverse, uint8_t* out)
{
    const uint8_t* a[Pairs];
    const uint8_t* b[Pairs];
    __m128i w[Pairs];
    for (int p = 0; p < Pairs; ++p) {
        const int r = 2 * p;
        const bool single = r + 1 >= count;
        a[p] = rows[r];
        b[p] = single ? rows[r] : rows[r + 1];
        const uint32_t wa = weights[r], wb = single ? 0u : weights[r + 1];
        w[p] = _mm_set1_epi32(static_cast<int>(wa | (wb << 16)));
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128 scale = _mm_set1_ps(inverse);
    std::size_t j = 0;
    for (; j + 16 <= n; j += 16) {
        __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
        for (int p = 0; p < Pairs; ++p) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a[p] + j));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b[p] + j));
            const __m128i lo = _mm_unpacklo_epi8(x, y), hi = _mm_unpackhi_epi8(x, y);
            s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), w[p]));
            s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), w[p]));
            s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), w[p]));
            s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), w[p]));
        }
        const __m128i q0 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(s0), scale));
        const __m128i q1 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(s1), scale));
        const __m128i q2 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(s2), scale));
        const __m128i q3 = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(s3), scale));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j),
                         _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3)));
    }
    return j;
}
#endif

}  // namespace

void averageDown(const uint8_t* const* rows, const uint16_t* weights, int count, std::size_t n, float inverse,
                 uint8_t* out)
{
    if (count == 1) {
        // One row carries the whole span: the quotient is the byte itself.
        std::memcpy(out, rows[0], n);
        return;
    }
    std::size_t done = 0;
#if GZ_RESAMPLE_SSE2
    switch ((count + 1) / 2) {
    case 1: done = averageDownSse2<1>(rows, weights, count, n, inverse, out); break;
    case 2: done = averageDownSse2<2>(rows, weights, count, n, inverse, out); break;
    case 3: done = averageDownSse2<3>(rows, weights, count, n, inverse, out); break;
    case 4: done = averageDownSse2<4>(rows, weights, count, n, inverse, out); break;
    default: done = averageDownSse2<5>(rows, weights, count, n, inverse, out); break;
    }
#endif
    averageDownPlain(rows, weights, count, done, n, inverse, out);
}

namespace {

inline uint32_t load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// B G R A of target pixel k from source pixels of inBytes bytes.
inline uint32_t acrossPlain(const uint8_t* line, int inBytes, const AcrossTaps& taps, int k)
{
    const uint8_t* p = line + static_cast<std::ptrdiff_t>(taps.first[k]) * inBytes;
    uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) {
        int32_t sum = 0;
        for (int q = 0; q < taps.pairs; ++q) {
            const uint32_t w = taps.weights[pairIndex(taps.pairs, k, q)];
            const uint8_t* tap = p + 2 * q * inBytes + c;
            sum += static_cast<int32_t>((w & 0xFFFF) * tap[0] + (w >> 16) * tap[inBytes]);
        }
        pixel |= static_cast<uint32_t>(quotient(sum, taps.inverse[k])) << (8 * c);
    }
    return pixel;
}

#if GZ_RESAMPLE_SSE2
// The four channels of two neighbouring taps interleaved and widened to 16
// bits meet the pair of weights in one multiply-add.
inline __m128i tapPairSse2(const uint8_t* p, int inBytes, __m128i weights)
{
    const __m128i a = _mm_cvtsi32_si128(static_cast<int>(load32(p)));
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(load32(p + inBytes)));
    return _mm_madd_epi16(_mm_unpacklo_epi8(_mm_unpacklo_epi8(a, b), _mm_setzero_si128()), weights);
}

inline uint32_t acrossSse2(const uint8_t* line, int inBytes, const AcrossTaps& taps, int k)
{
    const uint8_t* p = line + static_cast<std::ptrdiff_t>(taps.first[k]) * inBytes;
    __m128i sum = _mm_setzero_si128();
    for (int q = 0; q < taps.pairs; ++q) {
        const int w = static_cast<int>(taps.weights[pairIndex(taps.pairs, k, q)]);
        sum = _mm_add_epi32(sum, tapPairSse2(p + 2 * q * inBytes, inBytes, _mm_set1_epi32(w)));
    }
    const __m128i q = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(sum), _mm_set1_ps(taps.inverse[k])));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(q, q), q)));
}

// Quotients (B G R A as 32-bit lanes) of the target pixel whose weight
// pairs and reciprocal sit in lane L of the given vectors.
template <int Pairs, int L>
inline __m128i acrossLaneSse2(const uint8_t* p, int inBytes, const __m128i* weights, __m128 inverse)
{
    __m128i sum = tapPairSse2(p, inBytes, _mm_shuffle_epi32(weights[0], L * 0x55));
    for (int q = 1; q < Pairs; ++q)
        sum = _mm_add_epi32(sum, tapPairSse2(p + 2 * q * inBytes, inBytes, _mm_shuffle_epi32(weights[q], L * 0x55)));
    return _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(sum), _mm_shuffle_ps(inverse, inverse, L * 0x55)));
}

// Target pixels k..k+3 (k a multiple of 4) as sixteen bytes B G R A B G R A ...
template <int Pairs>
inline __m128i acrossFourSse2(const uint8_t* line, int inBytes, const AcrossTaps& taps, int k)
{
    __m128i weights[Pairs];
    for (int q = 0; q < Pairs; ++q)
        weights[q] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.weights + pairIndex(Pairs, k, q)));
    const __m128 inverse = _mm_loadu_ps(taps.inverse + k);
    auto at = [&](int i) { return line + static_cast<std::ptrdiff_t>(taps.first[k + i]) * inBytes; };
    const __m128i q0 = acrossLaneSse2<Pairs, 0>(at(0), inBytes, weights, inverse);
    const __m128i q1 = acrossLaneSse2<Pairs, 1>(at(1), inBytes, weights, inverse);
    const __m128i q2 = acrossLaneSse2<Pairs, 2>(at(2), inBytes, weights, inverse);
    const __m128i q3 = acrossLaneSse2<Pairs, 3>(at(3), inBytes, weights, inverse);
    return _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
}
#endif

inline uint32_t across(const uint8_t* line, int inBytes, const AcrossTaps& taps, int k)
{
#if GZ_RESAMPLE_SSE2
    return acrossSse2(line, inBytes, taps, k);
#else
    return acrossPlain(line, inBytes, taps, k);
#endif
}

// One cache line of the memory wanted next per call.
class Prefetcher {
public:
    explicit Prefetcher(Ahead ahead) : next_(ahead.from), end_(ahead.from ? ahead.from + ahead.bytes : nullptr) {}
    void step()
    {
#if defined(__GNUC__)
        if (next_ < end_) {
            __builtin_prefetch(next_, 0, 2);
            next_ += 64;
        }
#endif
    }

private:
    const uint8_t* next_;
    const uint8_t* end_;
};

#if GZ_RESAMPLE_SSE2
// Whole groups of four target pixels; returns how many pixels were done.
// (Locals rather than references: the byte stores could alias them.)
template <int Pairs>
int averageAcrossFours(const uint8_t* line, int inBytes, const AcrossTaps& taps, int width, uint8_t* out,
                       int outBytes, uint32_t keep, Prefetcher& prefetcher)
{
    Prefetcher prefetch = prefetcher;
    int k = 0;
    if (outBytes == 4) {
        const __m128i keepLanes = _mm_set1_epi32(static_cast<int>(keep));
        for (; k + 4 <= width; k += 4, out += 16) {
            for (int i = 0; i < 4; ++i)
                prefetch.step();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                             _mm_and_si128(acrossFourSse2<Pairs>(line, inBytes, taps, k), keepLanes));
        }
        prefetcher = prefetch;
        return k;
    }
    // Four 4-byte stores three bytes apart; the last one's spare byte
    // belongs to the next pixel, which is still to come.
    for (; k + 4 < width; k += 4, out += 12) {
        for (int i = 0; i < 4; ++i)
            prefetch.step();
        __m128i four = acrossFourSse2<Pairs>(line, inBytes, taps, k);
        for (int i = 0; i < 4; ++i, four = _mm_srli_si128(four, 4)) {
            const uint32_t v = static_cast<uint32_t>(_mm_cvtsi128_si32(four));
            std::memcpy(out + 3 * i, &v, 4);
        }
    }
    prefetcher = prefetch;
    return k;
}
#endif

}  // namespace

void averageAcross(const uint8_t* line, int inBytes, const AcrossTaps& taps, int width, uint8_t* out, int outBytes,
                   Ahead ahead)
{
    if (width <= 0)
        return;
    Prefetcher prefetch(ahead);
    // A 3-byte source has no alpha: its fourth lane is the next pixel's blue.
    const uint32_t keep = inBytes == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    int k = 0;
#if GZ_RESAMPLE_SSE2
    switch (taps.pairs) {
    case 1: k = averageAcrossFours<1>(line, inBytes, taps, width, out, outBytes, keep, prefetch); break;
    case 2: k = averageAcrossFours<2>(line, inBytes, taps, width, out, outBytes, keep, prefetch); break;
    case 3: k = averageAcrossFours<3>(line, inBytes, taps, width, out, outBytes, keep, prefetch); break;
    case 4: k = averageAcrossFours<4>(line, inBytes, taps, width, out, outBytes, keep, prefetch); break;
    default: k = averageAcrossFours<kMaxPairs>(line, inBytes, taps, width, out, outBytes, keep, prefetch); break;
    }
    out += static_cast<std::ptrdiff_t>(k) * outBytes;
#endif
    if (outBytes == 4) {
        for (; k < width; ++k, out += 4) {
            prefetch.step();
            const uint32_t v = across(line, inBytes, taps, k) & keep;
            std::memcpy(out, &v, 4);
        }
        return;
    }
    // Three-byte target: each 4-byte store's last byte is overwritten by the
    // next pixel; the last pixel stores exactly three bytes.
    for (; k + 1 < width; ++k, out += 3) {
        prefetch.step();
        const uint32_t v = across(line, inBytes, taps, k);
        std::memcpy(out, &v, 4);
    }
    const uint32_t v = across(line, inBytes, taps, width - 1);
    std::memcpy(out, &v, 3);
}

int uniformAlpha(const uint8_t* first, std::ptrdiff_t step, int width, int height)
{
    // All alpha bytes are 255 when their AND is; all are 0 when their OR is.
    constexpr uint64_t kAlpha = 0xFF000000FF000000ull;
    uint64_t all = ~uint64_t{0}, any = 0;
    const std::size_t pairs = static_cast<std::size_t>(width) / 2;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = first + y * step;
        for (std::size_t i = 0; i < pairs; ++i) {
            uint64_t v;
            std::memcpy(&v, row + 8 * i, 8);
            all &= v;
            any |= v;
        }
        if (width & 1) {
            const uint64_t v = uint64_t{row[4 * (width - 1) + 3]} << 24;
            all &= v | 0xFFFFFFFF00FFFFFFull;
            any |= v;
        }
        // Decided as soon as both a non-255 and a non-0 alpha byte were seen.
        if ((all & kAlpha) != kAlpha && (any & kAlpha) != 0)
            return -1;
    }
    return (all & kAlpha) == kAlpha ? 255 : 0;
}

}  // namespace gz::resample_rows
