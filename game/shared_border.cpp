#include "game/shared_border.h"

#include <algorithm>
#include <cstdint>

namespace gz {
namespace {

// Cross and dot products of 32-bit coordinate differences need 67 bits.
__extension__ typedef __int128 Wide;

struct Box {
    int64_t left, top, right, bottom;
};

Box boxOf(const PolygonPoint* p, int count)
{
    Box b{p[0].x, p[0].y, p[0].x, p[0].y};
    for (int i = 1; i < count; ++i) {
        b.left = std::min<int64_t>(b.left, p[i].x);
        b.right = std::max<int64_t>(b.right, p[i].x);
        b.top = std::min<int64_t>(b.top, p[i].y);
        b.bottom = std::max<int64_t>(b.bottom, p[i].y);
    }
    return b;
}

bool edgesOverlap(PolygonPoint p, PolygonPoint q, PolygonPoint r, PolygonPoint s)
{
    const Wide dx = Wide{q.x} - p.x, dy = Wide{q.y} - p.y;
    if (dx == 0 && dy == 0)
        return false;
    const Wide rx = Wide{r.x} - p.x, ry = Wide{r.y} - p.y;
    const Wide sx = Wide{s.x} - p.x, sy = Wide{s.y} - p.y;
    if (dx * ry - dy * rx != 0 || dx * sy - dy * sx != 0)
        return false;
    // Both ends of r-s on the line of p-q: compare their positions along it.
    const Wide tr = dx * rx + dy * ry, ts = dx * sx + dy * sy, length = dx * dx + dy * dy;
    const Wide lo = std::max<Wide>(std::min(tr, ts), 0);
    const Wide hi = std::min(std::max(tr, ts), length);
    return lo < hi;
}

}  // namespace

bool outlinesShareBorder(const PolygonPoint* a, int aCount, const PolygonPoint* b, int bCount)
{
    if (!a || !b || aCount < 2 || bCount < 2)
        return false;
    const Box ba = boxOf(a, aCount), bb = boxOf(b, bCount);
    if (ba.right < bb.left || bb.right < ba.left || ba.bottom < bb.top || bb.bottom < ba.top)
        return false;
    for (int i = 0; i < aCount; ++i) {
        const PolygonPoint p = a[i], q = a[i + 1 < aCount ? i + 1 : 0];
        for (int j = 0; j < bCount; ++j)
            if (edgesOverlap(p, q, b[j], b[j + 1 < bCount ? j + 1 : 0]))
                return true;
    }
    return false;
}

}  // namespace gz
