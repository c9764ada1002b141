#include "board/point_in_polygon.h"

#include <algorithm>
#include <limits>

namespace gz {

namespace {

using Wide = __int128;

constexpr int64_t kSaturated = std::numeric_limits<int64_t>::max();

Wide cross(PolygonPoint a, PolygonPoint b, PolygonPoint p)
{
    const Wide bx = Wide{b.x} - a.x, by = Wide{b.y} - a.y;
    const Wide px = Wide{p.x} - a.x, py = Wide{p.y} - a.y;
    return bx * py - by * px;
}

Wide distanceSquared(PolygonPoint a, PolygonPoint b)
{
    const Wide dx = Wide{b.x} - a.x, dy = Wide{b.y} - a.y;
    return dx * dx + dy * dy;
}

}  // namespace

int64_t lineDistanceSquaredFloor(PolygonPoint a, PolygonPoint b, PolygonPoint p)
{
    if (a == b)
        return p == a ? 0 : kSaturated;
    Wide c = cross(a, b, p);
    if (c < 0)
        c = -c;
    // |C| < 2^63 keeps C^2 inside 128 bits; beyond that the quotient
    // exceeds 2^60 (L <= 2^65), far past any tolerance.
    if (c >= (Wide{1} << 63))
        return kSaturated;
    const Wide q = (c * c) / distanceSquared(a, b);
    return q > Wide{kSaturated} ? kSaturated : static_cast<int64_t>(q);
}

bool withinSegmentBand(PolygonPoint a, PolygonPoint b, PolygonPoint p)
{
    const Wide len = distanceSquared(a, b);
    return distanceSquared(p, a) <= len && distanceSquared(p, b) <= len;
}

bool segmentHit(PolygonPoint a, PolygonPoint b, PolygonPoint p)
{
    if (a == b)
        return p == a;
    return lineDistanceSquaredFloor(a, b, p) <= 9 && withinSegmentBand(a, b, p);
}

bool onSegment(PolygonPoint a, PolygonPoint b, PolygonPoint p)
{
    return cross(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
           std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y);
}

bool polygonContains(std::span<const PolygonPoint> pts, PolygonPoint p)
{
    const std::size_t n = pts.size();
    if (n == 0)
        return false;
    if (n == 1)
        return p == pts[0];
    if (n == 2) {
        if (pts[0] == pts[1])
            return p == pts[0];
        return lineDistanceSquaredFloor(pts[0], pts[1], p) == 0 &&
               withinSegmentBand(pts[0], pts[1], p);
    }
    bool inside = false;
    for (std::size_t j = 0; j < n; ++j) {
        PolygonPoint a = pts[j];
        PolygonPoint b = pts[j + 1 == n ? 0 : j + 1];
        if (onSegment(a, b, p))
            return true;
        // Half-open in x: exactly one of the two edges meeting at a vertex
        // on the ray's line owns that vertex.
        if ((a.x <= p.x) == (b.x <= p.x))
            continue;
        if (a.x > b.x)
            std::swap(a, b);
        // The edge's y at p.x is below p.y (that is, the edge lies on the
        // ray toward smaller y): a.y + (p.x - a.x) * dy / dx < p.y, dx > 0.
        const Wide dx = Wide{b.x} - a.x;
        const Wide dy = Wide{b.y} - a.y;
        if ((Wide{a.y} - p.y) * dx + (Wide{p.x} - a.x) * dy < 0)
            inside = !inside;
    }
    return inside;
}

bool polygonContains(const CoverPolygon& polygon, PolygonPoint p)
{
    const int32_t n = std::clamp(polygon.pointCount, int32_t{0}, int32_t{kMaxPolygonPoints});
    return polygonContains(std::span<const PolygonPoint>(polygon.points, static_cast<std::size_t>(n)), p);
}

}  // namespace gz
