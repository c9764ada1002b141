// RasterImage::fillPolygon: even-odd scan-line fill, edge pixels included.
//
// Every edge is a Bresenham line taken from its upper to its lower end, so an
// edge shared by two polygons covers the same pixels whichever way round it
// is listed. The pixels of an edge on a row are computed from the closed form
// of the Bresenham error term rather than by stepping from the edge's start,
// which keeps far-off (clipped) points cheap and exact.
#include <algorithm>
#include <cstdlib>

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
int64_t ceilDiv(Wide a, Wide b) { return -floorDiv(-a, b); }

// A non-horizontal edge from its upper end (xa, ya) to its lower end.
struct Edge {
    int64_t xa, ya, xb, yb;
    int64_t dx, dy;   // |xb - xa|, yb - ya > 0
    int sx;           // x step, -1 or +1
    int direction;    // +1 when the polygon runs downwards along it, -1 upwards

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
        return e;
    }

    // Pixels [left, right] the line covers on row y (ya <= y <= yb). The
    // midpoint decision "step when the error is above 0" gives the offsets
    // below; equal to stepping the usual error term from (xa, ya).
    void runOn(int64_t y, int64_t& left, int64_t& right) const
    {
        const Wide k = y - ya, wdx = dx, wdy = dy;
        int64_t j0, j1;   // offsets along x, in steps of sx
        if (dx <= dy) {
            j0 = j1 = floorDiv(2 * k * wdx + wdy - 1, 2 * wdy);
        } else {
            j0 = k == 0 ? 0 : ceilDiv(2 * wdx * k - wdx + 1, 2 * wdy);
            j1 = k == wdy ? dx : ceilDiv(2 * wdx * (k + 1) - wdx + 1, 2 * wdy) - 1;
        }
        const int64_t x0 = xa + sx * j0, x1 = xa + sx * j1;
        left = std::min(x0, x1);
        right = std::max(x0, x1);
    }
};

struct Run {
    int64_t left, right;
};

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
    const Edge e = Edge::between(a, b);
    const int64_t y0 = std::max<int64_t>(e.ya, 0), y1 = std::min<int64_t>(e.yb, image.height() - 1);
    for (int64_t y = y0; y <= y1; ++y) {
        int64_t l, r;
        e.runOn(y, l, r);
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
    bool horizontal[kMaxPolygonPoints];
    int firstSloped = -1;
    for (int i = 0; i < count; ++i) {
        const RasterPoint p = points[i], q = points[(i + 1) % count];
        horizontal[i] = p.y == q.y;
        if (!horizontal[i]) {
            edges[i] = Edge::between(p, q);
            if (firstSloped < 0)
                firstSloped = i;
        }
    }

    const int64_t y0 = std::max<int64_t>(minY, 0), y1 = std::min<int64_t>(maxY, height_ - 1);
    Run runs[kMaxPolygonPoints];
    int group[kMaxPolygonPoints];   // run index of each sloped edge on this row, -1 if not on it
    for (int64_t y = y0; y <= y1; ++y) {
        int runCount = 0;
        // Walk once round the polygon from a sloped edge. Horizontal edges on
        // this row join the run of the sloped edge before them; a sloped edge
        // that continues the previous one in the same vertical direction
        // through a vertex on this row joins its run, so such a vertex counts
        // once. At a turning vertex both edges keep their own runs.
        int owner = -1;       // last sloped edge visited
        int ownerRun = -1;    // its run on this row, -1 when it is not on this row
        for (int step = 0; step <= count; ++step) {
            const int i = (firstSloped + step) % count;
            const RasterPoint start = points[i];
            if (horizontal[i]) {
                if (start.y == y && ownerRun >= 0) {
                    const RasterPoint end = points[(i + 1) % count];
                    Run& r = runs[ownerRun];
                    r.left = std::min<int64_t>(r.left, std::min(start.x, end.x));
                    r.right = std::max<int64_t>(r.right, std::max(start.x, end.x));
                }
                continue;
            }
            const Edge& e = edges[i];
            const bool onRow = e.ya <= y && y <= e.yb;
            const bool joins = onRow && ownerRun >= 0 && start.y == y && edges[owner].direction == e.direction;
            if (step == count) {
                // Back at the first edge: merge its run into the last one.
                if (joins && group[i] >= 0 && group[i] != ownerRun) {
                    Run& r = runs[ownerRun];
                    r.left = std::min(r.left, runs[group[i]].left);
                    r.right = std::max(r.right, runs[group[i]].right);
                    runs[group[i]] = runs[--runCount];
                }
                break;
            }
            if (!onRow) {
                group[i] = -1;
                owner = i;
                ownerRun = -1;
                continue;
            }
            int64_t l, r;
            e.runOn(y, l, r);
            if (joins) {
                Run& run = runs[ownerRun];
                run.left = std::min(run.left, l);
                run.right = std::max(run.right, r);
                group[i] = ownerRun;
            } else {
                runs[runCount] = {l, r};
                group[i] = runCount++;
            }
            owner = i;
            ownerRun = group[i];
        }

        std::sort(runs, runs + runCount, [](const Run& a, const Run& b) { return a.left < b.left; });
        int k = 0;
        for (; k + 1 < runCount; k += 2)
            spanClipped(*this, format, y, runs[k].left, std::max(runs[k].right, runs[k + 1].right), colour);
        if (k < runCount)   // an odd run still has its edge pixels drawn
            spanClipped(*this, format, y, runs[k].left, runs[k].right, colour);
    }
    return true;
}

}  // namespace gz
