#include "board/zoomed_picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/pixel_formats.h"

namespace gz {

namespace {

struct Span {
    int32_t first = 0;
    int32_t count = 1;
    friend bool operator==(const Span&, const Span&) = default;
};

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The picture pixels under each board pixel start .. start+length-1 of one
// axis, cut to the picture.
std::vector<Span> spansOf(int start, int length, int32_t offset, const PictureMapping& m,
                          int pictureLength)
{
    const int64_t num = m.numerator > 0 ? m.numerator : 1;
    const int64_t den = m.denominator > 0 ? m.denominator : 1;
    auto pictureAt = [&](int64_t b) { return floorDiv((b - offset) * den, num); };
    std::vector<Span> spans(static_cast<std::size_t>(length));
    int64_t next = pictureAt(start);
    for (int i = 0; i < length; ++i) {
        const int64_t first = std::clamp<int64_t>(next, 0, pictureLength - 1);
        next = pictureAt(int64_t{start} + i + 1);
        const int64_t end = std::clamp<int64_t>(next, first + 1, pictureLength);
        spans[i] = {static_cast<int32_t>(first), static_cast<int32_t>(end - first)};
    }
    return spans;
}

// Rows of the picture from column `from` on as B G R (A) bytes: 24- and
// 32-bit pictures in place, other depths through the format's colours.
class SourceRows {
public:
    SourceRows(const RasterImage& picture, int from, int to)
        : picture_(picture), from_(from), to_(to)
    {
        const int depth = picture.bitsPerPixel();
        if (depth == 24 || depth == 32) {
            bytes_ = depth / 8;
        } else {
            format_ = pixfmt::formatFor(depth);
            colours_.resize(static_cast<std::size_t>(to - from));
            bytes_ = 4;
        }
    }
    int bytes() const { return bytes_; }
    const uint8_t* line(int y)
    {
        if (!format_)
            return picture_.row(y) + static_cast<std::ptrdiff_t>(from_) * bytes_;
        format_->readColours(picture_, y, from_, to_ - from_, colours_.data());
        return reinterpret_cast<const uint8_t*>(colours_.data());
    }

private:
    const RasterImage& picture_;
    int from_;
    int to_;
    int bytes_ = 4;
    const pixfmt::PixelFormat* format_ = nullptr;
    std::vector<uint32_t> colours_;
};

void nearestRow(const uint8_t* line, const std::vector<std::ptrdiff_t>& at, uint8_t* out)
{
    for (std::size_t i = 0; i < at.size(); ++i) {
        const uint8_t* p = line + at[i];
        out[4 * i] = p[0];
        out[4 * i + 1] = p[1];
        out[4 * i + 2] = p[2];
        out[4 * i + 3] = 0;
    }
}

}  // namespace

bool sampleZoomedPicture(const RasterImage& picture, const PictureMapping& mapping,
                         const BoardRect& target, RasterImage& out)
{
    if (picture.isEmpty() || target.isEmpty() || !pixfmt::formatFor(picture.bitsPerPixel())) {
        out.release();
        return false;
    }
    if (out.width() != target.w || out.height() != target.h || out.bitsPerPixel() != 32) {
        if (!out.create(32, target.w, target.h, 0u))
            return false;
    }
    const std::vector<Span> columns =
        spansOf(target.x, target.w, mapping.xOffset, mapping, picture.width());
    const std::vector<Span> rows =
        spansOf(target.y, target.h, mapping.yOffset, mapping, picture.height());
    const int from = columns.front().first;
    const int to = columns.back().first + columns.back().count;
    SourceRows source(picture, from, to);
    const int bytes = source.bytes();
    const bool magnified = std::all_of(columns.begin(), columns.end(),
                                       [](const Span& s) { return s.count == 1; }) &&
                           std::all_of(rows.begin(), rows.end(),
                                       [](const Span& s) { return s.count == 1; });
    std::vector<std::ptrdiff_t> at;
    std::vector<uint32_t> sums;
    if (magnified) {
        at.resize(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i)
            at[i] = static_cast<std::ptrdiff_t>(columns[i].first - from) * bytes;
    } else {
        sums.resize(static_cast<std::size_t>(to - from) * 3);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(target.w) * 4;
    for (int j = 0; j < target.h; ++j) {
        uint8_t* o = out.row(j);
        // Magnified rows repeat: a picture row at 8 board pixels is made once.
        if (j > 0 && rows[j] == rows[j - 1]) {
            std::memcpy(o, out.row(j - 1), rowBytes);
            continue;
        }
        if (magnified) {
            nearestRow(source.line(rows[j].first), at, o);
            continue;
        }
        std::fill(sums.begin(), sums.end(), 0u);
        for (int y = rows[j].first; y < rows[j].first + rows[j].count; ++y) {
            const uint8_t* p = source.line(y);
            for (int x = 0; x < to - from; ++x, p += bytes) {
                sums[3 * x] += p[0];
                sums[3 * x + 1] += p[1];
                sums[3 * x + 2] += p[2];
            }
        }
        for (int i = 0; i < target.w; ++i) {
            const Span& c = columns[i];
            uint32_t b = 0, g = 0, r = 0;
            for (int x = c.first - from; x < c.first - from + c.count; ++x) {
                b += sums[3 * x];
                g += sums[3 * x + 1];
                r += sums[3 * x + 2];
            }
            const uint32_t n = static_cast<uint32_t>(c.count) * static_cast<uint32_t>(rows[j].count);
            o[4 * i] = static_cast<uint8_t>((b + n / 2) / n);
            o[4 * i + 1] = static_cast<uint8_t>((g + n / 2) / n);
            o[4 * i + 2] = static_cast<uint8_t>((r + n / 2) / n);
            o[4 * i + 3] = 0;
        }
    }
    return true;
}

}  // namespace gz
