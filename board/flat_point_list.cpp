#include "board/flat_point_list.h"

namespace gz {

void FlatPointList::clear()
{
    size_ = 0;
    for (int32_t& s : starts_)
        s = -1;
}

void FlatPointList::markPolygonStart(int polygon)
{
    if (polygon >= 0 && polygon < kMaxPolygons)
        starts_[polygon] = size_;
}

bool FlatPointList::append(const FlatPoint& p)
{
    if (size_ >= kCapacity)
        return false;
    points_[size_++] = p;
    return true;
}

int FlatPointList::polygonStart(int polygon) const
{
    if (polygon < 0 || polygon >= kMaxPolygons)
        return -1;
    return starts_[polygon];
}

void buildFlatPointList(const GameContent& game, const PictureMapping& mapping,
                        FlatPointList& list)
{
    list.clear();
    const int n = game.polygonCount < 0 ? 0
                  : game.polygonCount > kMaxPolygons ? kMaxPolygons
                                                     : game.polygonCount;
    for (int g = n - 1; g >= 0; --g) {
        const CoverPolygon& poly = game.polygons[g];
        list.markPolygonStart(g);
        if (poly.pointCount < 2)
            continue;
        const int count = poly.pointCount > kMaxPolygonPoints ? kMaxPolygonPoints : poly.pointCount;
        for (int j = 0; j < count; ++j) {
            const PolygonPoint b = mapping.toBoard(poly.points[j]);
            list.append({b.x, b.y, g, j});
        }
    }
}

}  // namespace gz
