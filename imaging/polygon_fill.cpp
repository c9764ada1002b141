// RasterImage::fillPolygon: even-odd scan-line fill, edge pixels included.
//
// Every edge is a Bresenham line taken from its upper to its lower end, so an
// edge shared by two polygons covers the same pixels whichever way round it
// is listed. The pixels of an edge on a row are computed from the closed form
// of the Bresenham error term rather than by stepping from the edge's start,
// which keeps far-off (clipped) points cheap and exact.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "imaging/pixel_formats.h"
#include "imaging/raster_image.h"

namespace gz {
namespace {

constexpr int kMaxPolygonPoints = 64;

// Products of two 32-bit coordinate differences and a row count need more
// than 64 bits at the far ends of the coordinate range.
__extension__ typedef __int128 Wide;

int64_t floorDiv(Wide a, Wide b)   // b > 0
{
    const Wide q = a / b;
    return static_cast<int64_t>((a % b != 0 && a < 0) ? q - 1 : q);
}

// floor((a * k + b) / d) for k = k0, k0 + 1, ...: one wide division to
// start, then an integer error term per step.
struct FloorStepper {
    int64_t q = 0, r = 0;     // quotient and remainder (0 <= r < d)
    int64_t wholeStep = 0, partStep = 0, d = 1;

    void start(int64_t a, int64_t b, int64_t divisor, int64_t k0)
    {
        d = divisor;
        wholeStep = a / d;
        partStep = a % d;
        const Wide n = static_cast<Wide>(a) * k0 + b;
        q = floorDiv(n, d);
        r = static_cast<int64_t>(n - static_cast<Wide>(q) * d);
    }
    void step()
    {
        // Without a branch: the carry follows the slope's fraction, which
        // a branch predictor cannot learn.
        q += wholeStep;
        r += partStep;
        const int64_t carry = r >= d;
        q += carry;
        r -= d & -carry;
    }
};

// A non-horizontal edge from its upper end (xa, ya) to its lower end.
struct Edge {
    int64_t xa, ya, xb, yb;
    int64_t dx, dy;   // |xb - xa|, yb - ya > 0
    int sx;           // x step, -1 or +1
    int direction;    // +1 when the polygon runs downwards along it, -1 upwards
    bool steep;       // dx <= dy: one pixel per row
    FloorStepper stepper;

    static Edge between(RasterPoint p, RasterPoint q)
    {
        Edge e{};
        e.direction = q.y > p.y ? 1 : -1;
        if (q.y < p.y)
            std::swap(p, q);
        e.xa = p.x;
        e.ya = p.y;
        e.xb = q.x;
        e.yb = q.y;
        e.dx = std::llabs(e.xb - e.xa);
        e.dy = e.yb - e.ya;
        e.sx = e.xb >= e.xa ? 1 : -1;
        e.steep = e.dx <= e.dy;
        return e;
    }

    // The midpoint rule "step when the error is above 0", started at
    // (xa, ya), puts row k = y - ya at these x offsets (in steps of sx):
    //   steep (dx <= dy):  floor((2 dx k + dy - 1) / 2dy)
    //   shallow:           S(k) .. S(k + 1) - 1 within 0 .. dx, where
    //                      S(k) = floor((2 dx k - dx + 2 dy) / 2dy).
    // startAt prepares row y (ya <= y <= yb) directly; nextRun then gives
    // the pixels [left, right] of one row after the other.
    void startAt(int64_t y)
    {
        const int64_t k = y - ya;
        if (steep)
            stepper.start(2 * dx, dy - 1, 2 * dy, k);
        else
            stepper.start(2 * dx, 2 * dy - dx, 2 * dy, k);
    }
    void nextRun(int64_t& left, int64_t& right)
    {
        // Steep: the one offset q (never negative). Shallow: q up to the
        // next row's offset, less one.
        const int64_t q = stepper.q;
        stepper.step();
        const int64_t j0 = std::max<int64_t>(0, q);
        const int64_t j1 = steep ? q : std::min<int64_t>(dx, stepper.q - 1);
        const int64_t x0 = xa + sx * j0, x1 = xa + sx * j1;
        left = std::min(x0, x1);
        right = std::max(x0, x1);
    }
};


// Where two sloped edges meet (directly or through horizontal edges) at a
// vertex row.
struct Meeting {
    int64_t row;
    int before, after;
    bool merge;
    bool horizontal;
    int64_t left, right;   // extent of the horizontal edges
};

// The even-odd rows y0..y1 (inside the image); fill(y, left, right) gets
// each span clipped to columns 0..lastColumn.
template <typename Fill>
void scanRows(Edge* edges, const int* sloped, int slopedCount, const Meeting* meetings, int meetingCount, int64_t y0,
              int64_t y1, int64_t lastColumn, Fill fill)
{
    int nextMeeting = 0;
    while (nextMeeting < meetingCount && meetings[nextMeeting].row < y0)
        ++nextMeeting;
    // The active edges are kept in the order of their runs on the previous
    // row, which is their order on this row too except near vertices, so the
    // runs usually arrive sorted.
    int active[kMaxPolygonPoints];
    int activeCount = 0, nextSloped = 0;
    // Runs of this row as two arrays: each end is written and read whole.
    int64_t runLeft[kMaxPolygonPoints], runRight[kMaxPolygonPoints];
    bool alive[kMaxPolygonPoints];
    int slot[kMaxPolygonPoints];   // run of each active edge on this row
    for (int64_t y = y0; y <= y1; ++y) {
        // Edges enter at their upper end and leave after their lower end.
        while (nextSloped < slopedCount && edges[sloped[nextSloped]].ya <= y) {
            const int entering = sloped[nextSloped++];
            if (edges[entering].yb < y)
                continue;   // ended above the image
            edges[entering].startAt(y);
            active[activeCount++] = entering;
        }
        int runCount = 0;
        for (int a = 0; a < activeCount; ++a) {
            Edge& e = edges[active[a]];
            if (e.yb < y)
                continue;
            active[runCount] = active[a];
            e.nextRun(runLeft[runCount], runRight[runCount]);
            ++runCount;
        }
        activeCount = runCount;
        for (int r = 1; r < runCount; ++r) {
            if (runLeft[r] >= runLeft[r - 1])
                continue;
            const int64_t left = runLeft[r], right = runRight[r];
            const int edge = active[r];
            int j = r;
            for (; j > 0 && runLeft[j - 1] > left; --j) {
                runLeft[j] = runLeft[j - 1];
                runRight[j] = runRight[j - 1];
                active[j] = active[j - 1];
            }
            runLeft[j] = left;
            runRight[j] = right;
            active[j] = edge;
        }
        int n = runCount;
        if (nextMeeting < meetingCount && meetings[nextMeeting].row == y) {
            for (int r = 0; r < runCount; ++r) {
                slot[active[r]] = r;
                alive[r] = true;
            }
            for (; nextMeeting < meetingCount && meetings[nextMeeting].row == y; ++nextMeeting) {
                const Meeting& m = meetings[nextMeeting];
                const int run = slot[m.before];
                if (m.horizontal) {
                    runLeft[run] = std::min(runLeft[run], m.left);
                    runRight[run] = std::max(runRight[run], m.right);
                }
                if (m.merge) {
                    const int other = slot[m.after];
                    runLeft[run] = std::min(runLeft[run], runLeft[other]);
                    runRight[run] = std::max(runRight[run], runRight[other]);
                    alive[other] = false;
                }
            }
            // Survivors sorted by their left end again (the merged runs may
            // have grown leftwards); this copy leaves the edge order alone.
            n = 0;
            for (int r = 0; r < runCount; ++r) {
                if (!alive[r])
                    continue;
                const int64_t left = runLeft[r], right = runRight[r];
                int j = n++;
                for (; j > 0 && runLeft[j - 1] > left; --j) {
                    runLeft[j] = runLeft[j - 1];
                    runRight[j] = runRight[j - 1];
                }
                runLeft[j] = left;
                runRight[j] = right;
            }
        }
        auto span = [&](int64_t left, int64_t right) {
            left = std::max<int64_t>(left, 0);
            right = std::min(right, lastColumn);
            if (left <= right)
                fill(y, left, right);
        };
        int k = 0;
        for (; k + 1 < n; k += 2)
            span(runLeft[k], std::max(runRight[k], runRight[k + 1]));
        if (k < n)   // an odd run still has its edge pixels drawn
            span(runLeft[k], runRight[k]);
    }
}

}  // namespace

// Sets the pixels of row y from left to right (inclusive), clipped.
static void spanClipped(RasterImage& image, const pixfmt::PixelFormat* format, int64_t y, int64_t left,
                        int64_t right, uint32_t colour)
{
    if (y < 0 || y >= image.height())
        return;
    left = std::max<int64_t>(left, 0);
    right = std::min<int64_t>(right, image.width() - 1);
    if (left <= right)
        format->fillSpan(image, static_cast<int>(y), static_cast<int>(left), static_cast<int>(right), colour);
}

static void drawLine(RasterImage& image, const pixfmt::PixelFormat* format, RasterPoint a, RasterPoint b,
                     uint32_t colour)
{
    if (a.y == b.y) {
        spanClipped(image, format, a.y, std::min(a.x, b.x), std::max(a.x, b.x), colour);
        return;
    }
    Edge e = Edge::between(a, b);
    const int64_t y0 = std::max<int64_t>(e.ya, 0), y1 = std::min<int64_t>(e.yb, image.height() - 1);
    if (y0 <= y1)
        e.startAt(y0);
    for (int64_t y = y0; y <= y1; ++y) {
        int64_t l, r;
        e.nextRun(l, r);
        spanClipped(image, format, y, l, r, colour);
    }
}

bool RasterImage::fillPolygon(const RasterPoint* points, int count, uint32_t colour)
{
    if (isEmpty() || !points || count < 1 || count > kMaxPolygonPoints)
        return false;
    const pixfmt::PixelFormat* format = pixfmt::formatFor(bpp_);
    if (count == 1) {
        spanClipped(*this, format, points[0].y, points[0].x, points[0].x, colour);
        return true;
    }
    if (count == 2) {
        drawLine(*this, format, points[0], points[1], colour);
        return true;
    }

    int minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    int minXi = 0, maxXi = 0, minYi = 0, maxYi = 0;
    for (int i = 1; i < count; ++i) {
        if (points[i].x < minX) minX = points[minXi = i].x;
        if (points[i].x > maxX) maxX = points[maxXi = i].x;
        if (points[i].y < minY) minY = points[minYi = i].y;
        if (points[i].y > maxY) maxY = points[maxYi = i].y;
    }
    // A polygon without area is the line between its extreme points.
    if (minX == maxX) {
        drawLine(*this, format, points[minYi], points[maxYi], colour);
        return true;
    }
    if (minY == maxY) {
        drawLine(*this, format, points[minXi], points[maxXi], colour);
        return true;
    }

    // Edge i runs from point i to point i + 1 (cyclically).
    Edge edges[kMaxPolygonPoints];
    int sloped[kMaxPolygonPoints];   // indexes of the non-horizontal edges, by upper end
    int slopedCount = 0;
    for (int i = 0; i < count; ++i) {
        const RasterPoint p = points[i], q = points[i + 1 < count ? i + 1 : 0];
        if (p.y != q.y) {
            edges[i] = Edge::between(p, q);
            sloped[slopedCount++] = i;
        }
    }
    std::sort(sloped, sloped + slopedCount, [&](int a, int b) { return edges[a].ya < edges[b].ya; });

    // Where two sloped edges meet (directly or through horizontal edges) at
    // the vertex row: the horizontal edges join the run of the edge before
    // them, and an edge that continues the previous one in the same vertical
    // direction joins its run, so such a vertex counts once. At a turning
    // vertex both edges keep their own runs.
    Meeting meetings[kMaxPolygonPoints];
    int meetingCount = 0;
    {
        int first = 0;
        while (points[first].y == points[first + 1 < count ? first + 1 : 0].y)
            ++first;
        int before = first;
        bool horizontal = false;
        int64_t left = 0, right = 0;
        for (int step = 1; step <= count; ++step) {
            int i = first + step;
            if (i >= count)
                i -= count;
            const RasterPoint p = points[i], q = points[i + 1 < count ? i + 1 : 0];
            if (p.y == q.y) {
                left = horizontal ? std::min<int64_t>(left, std::min(p.x, q.x)) : std::min(p.x, q.x);
                right = horizontal ? std::max<int64_t>(right, std::max(p.x, q.x)) : std::max(p.x, q.x);
                horizontal = true;
                continue;
            }
            meetings[meetingCount++] = {p.y, before, i, edges[before].direction == edges[i].direction,
                                        horizontal, left, right};
            before = i;
            horizontal = false;
        }
    }
    std::sort(meetings, meetings + meetingCount, [](const Meeting& a, const Meeting& b) { return a.row < b.row; });

    const int64_t y0 = std::max<int64_t>(minY, 0), y1 = std::min<int64_t>(maxY, height_ - 1);
    const int64_t lastColumn = width_ - 1;
    if (bpp_ == 32 && (reinterpret_cast<std::uintptr_t>(pixels_) & 3) == 0) {
        // The board's back buffer: whole words straight into the row, no
        // routine call per span.
        typedef uint32_t __attribute__((may_alias)) Word;
        Word* const top = reinterpret_cast<Word*>(row(0));
        const std::ptrdiff_t wordsPerRow = stride_ / 4;
        const uint8_t bytes[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                                  static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
        uint32_t word;
        std::memcpy(&word, bytes, 4);
        scanRows(edges, sloped, slopedCount, meetings, meetingCount, y0, y1, lastColumn,
                 [=](int64_t y, int64_t left, int64_t right) {
                     Word* const p = top - y * wordsPerRow + left;
                     const auto n = static_cast<std::size_t>(right - left + 1);
                     // The library's wide-character fill is the widest word
                     // fill at hand where wide characters are 32 bits.
                     if constexpr (sizeof(wchar_t) == 4) {
                         wchar_t w;
                         std::memcpy(&w, &word, 4);
                         std::wmemset(reinterpret_cast<wchar_t*>(p), w, n);
                     } else {
                         std::fill_n(p, n, word);
                     }
                 });
    } else {
        scanRows(edges, sloped, slopedCount, meetings, meetingCount, y0, y1, lastColumn,
                 [&](int64_t y, int64_t left, int64_t right) {
                     format->fillSpan(*this, static_cast<int>(y), static_cast<int>(left), static_cast<int>(right),
                                      colour);
                 });
    }
    return true;
}

}  // namespace gz
