// RasterImage::resample: nearest pixel, and area averaging in 1/256 fixed
// point with one row of accumulators (memory proportional to the source width).
// Large area averages are split into two bands of target rows, one on a
// second thread: every target row depends only on its own source rows.
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "imaging/pixel_formats.h"
#include "imaging/raster_image.h"
#include "imaging/resample_rows.h"

namespace gz {
namespace {

// Source span covered by each target pixel along one axis, in 1/256 pixel.
struct AxisMap {
    std::vector<int32_t> first;        // first source pixel
    std::vector<int32_t> count;        // number of source pixels touched
    std::vector<uint32_t> weightAt;    // index of the first weight in weights
    std::vector<uint16_t> weights;     // 1..256 per touched source pixel
    std::vector<uint32_t> span;        // end - start
    std::vector<uint32_t> reciprocal;  // for exact division by span
    std::vector<uint8_t> shift;
};

// q = floor(a / d) as (a * m) >> s, exact for every a <= 255 * d when
// d <= 2^23: with 2^s > 255 d^2 and m = floor(2^s / d) + 1 the error
// a (m - 2^s/d) / 2^s stays below 1/d. m then stays below 2^32 and a * m
// below 2^63, so the division becomes one 32 x 32 -> 64-bit multiply.
void reciprocalFor(uint32_t d, uint32_t& m, uint8_t& s)
{
    const uint64_t bound = uint64_t{255} * d * d;
    int shift = 0;
    while ((uint64_t{1} << shift) <= bound)
        ++shift;
    s = static_cast<uint8_t>(shift);
    m = static_cast<uint32_t>((uint64_t{1} << shift) / d + 1);
}

inline uint32_t divide(uint32_t a, uint32_t m, uint8_t s)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(a) * m) >> s);
}

AxisMap buildAxis(int s, int d)
{
    int64_t num = s, den = d;
    if (s < d) {
        num = s - 1;
        den = d - 1;
    }
    while (num > 0 && den > 0 && num % 2 == 0 && den % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    while (num * d * 256 >= (int64_t{1} << 31)) {
        num /= 2;
        den /= 2;
    }
    if (den == 0)
        den = 1;

    AxisMap map;
    map.first.resize(d);
    map.count.resize(d);
    map.weightAt.resize(d);
    map.span.resize(d);
    map.reciprocal.resize(d);
    map.shift.resize(d);
    const int64_t limit = int64_t{s} * 256;
    for (int i = 0; i < d; ++i) {
        int64_t start = int64_t{i} * 256 * num / den;
        int64_t end = int64_t{i + 1} * 256 * num / den;
        if (end < start + 256)
            end = start + 256;
        if (end > limit)
            end = limit;
        // When the ratio had to be coarsened the last starts can pass the
        // source; such a pixel takes the last source pixel rather than an
        // empty (or negative) span.
        if (start > end - 256)
            start = std::max<int64_t>(0, std::min(start, end - 256));
        const int firstPixel = static_cast<int>(start >> 8);
        const int lastPixel = static_cast<int>((end - 1) >> 8);
        map.first[i] = firstPixel;
        map.count[i] = lastPixel - firstPixel + 1;
        map.weightAt[i] = static_cast<uint32_t>(map.weights.size());
        for (int p = firstPixel; p <= lastPixel; ++p) {
            const int64_t lo = std::max<int64_t>(start, int64_t{p} * 256);
            const int64_t hi = std::min<int64_t>(end, int64_t{p + 1} * 256);
            map.weights.push_back(static_cast<uint16_t>(hi - lo));
        }
        map.span[i] = static_cast<uint32_t>(end - start);
        reciprocalFor(map.span[i], map.reciprocal[i], map.shift[i]);
    }
    return map;
}

// Source rows as bytes B G R (A): 24- and 32-bit rows are used in place, any
// other depth is converted to B G R A one row at a time.
class RowSource {
public:
    explicit RowSource(const RasterImage& image)
        : image_(image), format_(pixfmt::formatFor(image.bitsPerPixel()))
    {
        const int bpp = image.bitsPerPixel();
        if (bpp != 24 && bpp != 32) {
            colours_.resize(static_cast<std::size_t>(image.width()));
            converted_.resize(static_cast<std::size_t>(image.width()) * 4);
        }
    }
    int stride() const { return image_.stride(); }
    const uint8_t* row(int y)
    {
        const int bpp = image_.bitsPerPixel();
        if (bpp == 24 || bpp == 32)
            return image_.row(y);
        format_->readColours(image_, y, 0, image_.width(), colours_.data());
        for (std::size_t x = 0; x < colours_.size(); ++x) {
            const uint32_t c = colours_[x];
            converted_[4 * x] = static_cast<uint8_t>(c);
            converted_[4 * x + 1] = static_cast<uint8_t>(c >> 8);
            converted_[4 * x + 2] = static_cast<uint8_t>(c >> 16);
            converted_[4 * x + 3] = static_cast<uint8_t>(c >> 24);
        }
        return converted_.data();
    }

private:
    const RasterImage& image_;
    const pixfmt::PixelFormat* format_;
    std::vector<uint32_t> colours_;
    std::vector<uint8_t> converted_;
};

// Alpha bytes of a 32-bit source, checked row by row just before the
// averaging reads the rows, so the source passes through memory once. The
// plain average is right as long as every alpha byte seen is the same 0 or
// 255; the watch notes the first row range that breaks that.
class AlphaWatch {
public:
    explicit AlphaWatch(const RasterImage& image, int firstRow = 0) : image_(image), checked_(firstRow) {}
    // False once the rows up to lastRow (inclusive) are not all 0 or all 255.
    bool through(int lastRow)
    {
        if (broken_)
            return false;
        if (lastRow < checked_)
            return true;
        const int found = resample_rows::uniformAlpha(image_.row(checked_),
                                                      -static_cast<std::ptrdiff_t>(image_.stride()),
                                                      image_.width(), lastRow - checked_ + 1);
        if (found < 0 || (value_ >= 0 && found != value_)) {
            broken_ = true;
            return false;
        }
        value_ = found;
        checked_ = lastRow + 1;
        return true;
    }
    // The common alpha of the rows checked before the break, -1 if none.
    int value() const { return value_; }
    // One past the last row checked.
    int checkedEnd() const { return checked_; }

private:
    const RasterImage& image_;
    int checked_;
    int value_ = -1;
    bool broken_ = false;
};

// Taps of the row kernel along an axis whose every span the float
// reciprocal divides exactly (which also keeps each to at most nine taps).
struct FastTaps {
    int pairs = 1;
    std::vector<int32_t> first;
    std::vector<uint32_t> weights;
    std::vector<float> inverse;

    static bool build(const AxisMap& map, FastTaps& taps)
    {
        const int d = static_cast<int>(map.first.size());
        int most = 1;
        for (int k = 0; k < d; ++k) {
            if (map.span[k] > resample_rows::kFastSpanLimit || map.count[k] > 2 * resample_rows::kMaxPairs)
                return false;
            most = std::max(most, map.count[k]);
        }
        taps.pairs = (most + 1) / 2;
        taps.first.assign(map.first.begin(), map.first.end());
        taps.weights.assign(resample_rows::pairsLength(taps.pairs, d), 0u);
        taps.inverse.resize(static_cast<std::size_t>(d));
        for (int k = 0; k < d; ++k) {
            for (int t = 0; t < map.count[k]; ++t)
                taps.weights[resample_rows::pairIndex(taps.pairs, k, t / 2)] |=
                    uint32_t{map.weights[map.weightAt[k] + t]} << (16 * (t % 2));
            taps.inverse[k] = resample_rows::reciprocalFor(map.span[k]);
        }
        return true;
    }
    resample_rows::AcrossTaps view() const { return {pairs, first.data(), weights.data(), inverse.data()}; }
};

// Plain area average of every channel. C channels per source pixel.
// With a watch, stops before the first target row whose source rows break
// the uniform alpha; returns the number of target rows made.
template <int C>
int averageRows(RowSource& source, int sw, const AxisMap& mx, const AxisMap& my, RasterImage& out,
                bool rowsInPlace, int begin, int end, AlphaWatch* watch = nullptr)
{
    const std::size_t n = static_cast<std::size_t>(sw) * C;
    std::vector<uint32_t> acc;
    // The row kernel reads whole pairs of pixels and a byte past a tap's start.
    std::vector<uint8_t> line(n + 2 * resample_rows::kMaxPairs * C + 16);
    const int outBytes = out.bitsPerPixel() / 8;
    FastTaps taps;
    const bool fastAcross = FastTaps::build(mx, taps);
    for (int i = begin; i < end; ++i) {
        if (watch && !watch->through(my.first[i] + my.count[i] - 1))
            return i;
        const uint16_t* w = &my.weights[my.weightAt[i]];
        if (rowsInPlace && my.span[i] <= resample_rows::kFastSpanLimit && my.count[i] <= resample_rows::kMaxFastRows) {
            const uint8_t* rows[resample_rows::kMaxFastRows];
            for (int r = 0; r < my.count[i]; ++r)
                rows[r] = source.row(my.first[i] + r);
            resample_rows::averageDown(rows, w, my.count[i], n, resample_rows::reciprocalFor(my.span[i]),
                                       line.data());
        } else {
            acc.assign(n, 0u);
            for (int r = 0; r < my.count[i]; ++r) {
                const uint8_t* src = source.row(my.first[i] + r);
                const uint32_t weight = w[r];
                uint32_t* a = acc.data();
                for (std::size_t j = 0; j < n; ++j)
                    a[j] += weight * src[j];
            }
            const uint32_t m = my.reciprocal[i];
            const uint8_t s = my.shift[i];
            for (std::size_t j = 0; j < n; ++j)
                line[j] = static_cast<uint8_t>(divide(acc[j], m, s));
        }

        uint8_t* dst = out.row(i);
        if (fastAcross) {
            resample_rows::Ahead ahead;
            if (rowsInPlace && i + 1 < end) {
                // Rows the next target row adds; stored bottom-up, so the
                // lowest of them comes first in memory.
                const int from = std::max(my.first[i] + my.count[i], my.first[i + 1]);
                const int to = my.first[i + 1] + my.count[i + 1] - 1;
                if (from <= to) {
                    ahead.from = source.row(to);
                    ahead.bytes = static_cast<std::size_t>(to - from + 1) * source.stride();
                }
            }
            resample_rows::averageAcross(line.data(), C, taps.view(), out.width(), dst, outBytes, ahead);
            continue;
        }
        for (int k = 0; k < out.width(); ++k, dst += outBytes) {
            const uint16_t* wx = &mx.weights[mx.weightAt[k]];
            const uint8_t* p = &line[static_cast<std::size_t>(mx.first[k]) * C];
            uint32_t sum[C] = {};
            for (int t = 0; t < mx.count[k]; ++t, p += C)
                for (int c = 0; c < C; ++c)
                    sum[c] += wx[t] * p[c];
            for (int c = 0; c < C && c < outBytes; ++c)
                dst[c] = static_cast<uint8_t>(divide(sum[c], mx.reciprocal[k], mx.shift[k]));
            if (outBytes == 4 && C == 3)
                dst[3] = 0;
        }
    }
    return end;
}

// Two bands pay off once the thread start is small beside the work.
int bandsFor(const RasterImage& source, int width, int height)
{
    const int64_t work = int64_t{source.width()} * source.height() + int64_t{width} * height;
    return height >= 2 && work >= (int64_t{1} << 20) && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Rows from..to (inclusive) of a 32-bit source all carry the alpha `value`
// (or any one common 0/255 alpha when value is -1).
bool restOfAlphaIs(const RasterImage& source, int from, int to, int value)
{
    if (from > to)
        return true;
    AlphaWatch w(source, from);
    return w.through(to) && (value < 0 || w.value() == value);
}

// Runs band(begin, end) over the target rows in two halves, the first on a
// second thread; the bands write disjoint rows and only read the rest.
template <typename Band>
void inTwoBands(int height, Band band)
{
    const int mid = height / 2;
    std::thread helper([&] { band(0, mid); });
    band(mid, height);
    helper.join();
}

// The plain average of a 32-bit source in two bands, each watching the
// alpha of its own rows. True when the whole source has one common 0 or
// 255 alpha, so the plain average is the answer; false leaves the rows for
// the transparency rule.
bool averageUniformAlphaInBands(const RasterImage& source, const AxisMap& mx, const AxisMap& my, RasterImage& out)
{
    const int height = out.height();
    const int mid = height / 2;
    AlphaWatch lower(source, 0), upper(source, my.first[mid]);
    bool complete[2] = {};
    inTwoBands(height, [&](int begin, int end) {
        RowSource rows(source);
        AlphaWatch& watch = begin == 0 ? lower : upper;
        complete[begin != 0] = averageRows<4>(rows, source.width(), mx, my, out, true, begin, end, &watch) == end;
    });
    if (!complete[0] || !complete[1])
        return false;
    int value = lower.value();
    if (upper.value() >= 0) {
        if (value >= 0 && value != upper.value())
            return false;
        value = upper.value();
    }
    // Rows no target row reads (a coarsened ratio) count as well.
    return restOfAlphaIs(source, lower.checkedEnd(), my.first[mid] - 1, value) &&
           restOfAlphaIs(source, upper.checkedEnd(), source.height() - 1, value);
}

// The plain average of a source without alpha rules, in one or two bands.
template <int C>
void averageInBands(const RasterImage& source, const AxisMap& mx, const AxisMap& my, RasterImage& out,
                    bool inPlace, int bands)
{
    auto band = [&](int begin, int end) {
        RowSource rows(source);
        averageRows<C>(rows, source.width(), mx, my, out, inPlace, begin, end);
    };
    if (bands < 2)
        band(0, out.height());
    else
        inTwoBands(out.height(), band);
}

// 32-bit source with partial transparency: pixels with alpha 0 add nothing to
// the colour and are left out of its divisor; alpha averages the whole span.
void averageRowsWithAlpha(const RasterImage& source, const AxisMap& mx, const AxisMap& my, RasterImage& out,
                          int firstRow)
{
    const int sw = source.width();
    const std::size_t n = static_cast<std::size_t>(sw);
    std::vector<uint32_t> colourAcc(n * 3), alphaAcc(n), colourWeight(n);
    std::vector<uint8_t> line(n * 4);
    std::vector<uint8_t> hasColour(n);
    for (int i = firstRow; i < out.height(); ++i) {
        std::fill(colourAcc.begin(), colourAcc.end(), 0u);
        std::fill(alphaAcc.begin(), alphaAcc.end(), 0u);
        std::fill(colourWeight.begin(), colourWeight.end(), 0u);
        const uint16_t* w = &my.weights[my.weightAt[i]];
        for (int r = 0; r < my.count[i]; ++r) {
            const uint8_t* p = source.row(my.first[i] + r);
            const uint32_t weight = w[r];
            for (std::size_t x = 0; x < n; ++x, p += 4) {
                alphaAcc[x] += weight * p[3];
                if (p[3] == 0)
                    continue;
                colourWeight[x] += weight;
                colourAcc[3 * x] += weight * p[0];
                colourAcc[3 * x + 1] += weight * p[1];
                colourAcc[3 * x + 2] += weight * p[2];
            }
        }
        for (std::size_t x = 0; x < n; ++x) {
            const uint32_t cw = colourWeight[x];
            hasColour[x] = cw != 0;
            for (int c = 0; c < 3; ++c)
                line[4 * x + c] = static_cast<uint8_t>(cw ? colourAcc[3 * x + c] / cw : 0);
            line[4 * x + 3] = static_cast<uint8_t>(divide(alphaAcc[x], my.reciprocal[i], my.shift[i]));
        }
        uint8_t* dst = out.row(i);
        for (int k = 0; k < out.width(); ++k, dst += 4) {
            const uint16_t* wx = &mx.weights[mx.weightAt[k]];
            uint32_t sum[3] = {}, alpha = 0, cw = 0;
            for (int t = 0; t < mx.count[k]; ++t) {
                const std::size_t x = static_cast<std::size_t>(mx.first[k] + t);
                alpha += wx[t] * line[4 * x + 3];
                if (!hasColour[x])
                    continue;
                cw += wx[t];
                for (int c = 0; c < 3; ++c)
                    sum[c] += wx[t] * line[4 * x + c];
            }
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<uint8_t>(cw ? sum[c] / cw : 0);
            dst[3] = static_cast<uint8_t>(divide(alpha, mx.reciprocal[k], mx.shift[k]));
        }
    }
}

}  // namespace

bool RasterImage::resample(const RasterImage& source, int width, int height, unsigned flags)
{
    if (&source == this) {
        RasterImage copy;
        if (!copy.copyFrom(source))
            return false;
        return resample(copy, width, height, flags);
    }
    if (source.isEmpty()) {
        release();
        return false;
    }
    const bool to32 = (flags & kResampleTo32Bits) != 0;
    if (width == source.width_ && height == source.height_) {
        if (!to32 || source.bpp_ == 32)
            return copyFrom(source);
        if (!create(32, width, height, 0u))
            return false;
        std::memcpy(palette_, source.palette_, sizeof palette_);
        return blit(source, 0, 0);
    }

    if (!(flags & kResampleAreaAverage)) {
        const int bpp = to32 ? 32 : source.bpp_;
        if (!create(bpp, width, height))
            return false;
        std::memcpy(palette_, source.palette_, sizeof palette_);
        if (bpp == source.bpp_)
            paletteSize_ = source.paletteSize_;
        const pixfmt::PixelFormat* from = pixfmt::formatFor(source.bpp_);
        std::vector<int> column(static_cast<std::size_t>(width));
        for (int k = 0; k < width; ++k)
            column[k] = static_cast<int>(static_cast<unsigned>(k) * static_cast<unsigned>(source.width_) /
                                         static_cast<unsigned>(width));
        std::vector<uint32_t> line(static_cast<std::size_t>(source.width_));
        for (int i = 0; i < height; ++i) {
            const int sy = static_cast<int>(static_cast<unsigned>(i) * static_cast<unsigned>(source.height_) /
                                            static_cast<unsigned>(height));
            if (bpp == source.bpp_) {
                for (int k = 0; k < width; ++k)
                    write_(*this, k, i, source.read_(source, column[k], sy));
            } else {
                from->readColours(source, sy, 0, source.width_, line.data());
                uint8_t* dst = row(i);
                for (int k = 0; k < width; ++k, dst += 4)
                    std::memcpy(dst, &line[column[k]], 4);   // 32-bit rows are little-endian words
            }
        }
        return true;
    }

    const int outBpp = (to32 || source.bpp_ == 32) ? 32 : 24;
    if (!create(outBpp, width, height))
        return false;
    std::memcpy(palette_, source.palette_, sizeof palette_);
    const AxisMap mx = buildAxis(source.width_, width);
    const AxisMap my = buildAxis(source.height_, height);
    const int bands = bandsFor(source, width, height);
    if (source.bpp_ == 32 && bands == 2) {
        // Mixed alpha is rare: then everything is redone under the
        // transparency rule.
        if (!averageUniformAlphaInBands(source, mx, my, *this))
            averageRowsWithAlpha(source, mx, my, *this, 0);
        return true;
    }
    if (source.bpp_ == 32) {
        RowSource rows(source);
        AlphaWatch watch(source);
        const int made = averageRows<4>(rows, source.width_, mx, my, *this, true, 0, height, &watch);
        if (made == height && watch.through(source.height_ - 1))
            return true;
        // Mixed alpha. Where the rows so far were all opaque the transparency
        // rule gives the same bytes, so those rows stay; after transparent
        // ones everything is redone.
        averageRowsWithAlpha(source, mx, my, *this, watch.value() == 255 ? made : 0);
        return true;
    }
    // 24-bit rows are read in place; every other depth is widened to B G R A.
    if (source.bpp_ == 24)
        averageInBands<3>(source, mx, my, *this, true, bands);
    else
        averageInBands<4>(source, mx, my, *this, false, bands);
    return true;
}

}  // namespace gz
