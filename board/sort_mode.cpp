#include "board/sort_mode.h"

#include <algorithm>

#include "board/point_in_polygon.h"

namespace gz {

int32_t findSortTarget(const GameContent& game, PolygonPoint picture)
{
    const int32_t n = std::clamp(game.polygonCount, int32_t{0}, int32_t{kMaxPolygons});
    for (int32_t i = 0; i < n; ++i) {
        if (polygonContains(game.polygons[i], picture))
            return i;
    }
    return -1;
}

SortClickResult applySortClick(GameContent& game, const PictureMapping& mapping,
                               PolygonPoint board)
{
    SortClickResult result;
    result.hitIndex = findSortTarget(game, mapping.toPicture(board));
    if (result.hitIndex < 0)
        return result;
    // Clicking the polygon already at the front still counts as a sort step.
    game.movePolygon(result.hitIndex, 0);
    game.modified = true;
    return result;
}

int32_t previewRevealCount(int32_t mode, int32_t polygonCount)
{
    if (!isPreviewMode(mode))
        return -1;
    return std::min(previewPosition(mode) - 1, std::max(polygonCount, int32_t{0}));
}

std::string previewModeLabel(int32_t mode)
{
    if (!isPreviewMode(mode))
        return {};
    return "Polygon " + std::to_string(previewPosition(mode));
}

}  // namespace gz
