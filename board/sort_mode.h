// Sort mode: the game master clicks the cover polygons in the order in which
// they shall be uncovered. Each click moves the polygon under the cursor to
// the front of the list (index 0 is uncovered last), so after clicking every
// polygon once the first one clicked is uncovered first (label 1).
//
// Also the preview modes 3..22 of the mode selector ("Polygon 1" ..
// "Polygon 20"), which show the cover as it is when the polygon with uncover
// position k = mode - 2 is the next to go.
//
// No state of its own; works on the polygon table of a GameContent. Each
// polygon moves with its points, point count, colour index and name.
#pragma once

#include <cstdint>
#include <string>

#include "board/board_layout.h"
#include "game/game_content.h"

namespace gz {

// The first polygon, from index 0 upward, that contains the picture point
// (point-in-polygon test of board/point_in_polygon.h); -1 when none does.
// Polygons on top of others have higher indexes, so overlapping polygons
// give the one painted first (underneath).
int32_t findSortTarget(const GameContent& game, PolygonPoint picture);

struct SortClickResult {
    int32_t hitIndex = -1;  // the polygon's index before the click; -1: no hit
    bool changed() const { return hitIndex >= 0; }
};

// A left button press at board position `board`: maps it to picture pixels,
// finds the polygon under it and moves that polygon to index 0 (polygons
// 0 .. i-1 move up one place) and sets `modified`, also when it already was
// at index 0. A click outside every polygon changes nothing. The caller then
// forces a picture-area redraw, runs one show tick and repaints the view.
SortClickResult applySortClick(GameContent& game, const PictureMapping& mapping,
                               PolygonPoint board);

// Preview modes: mode values 3..22.
constexpr bool isPreviewMode(int32_t mode)
{
    return mode >= kFirstPreviewMode && mode <= kLastPreviewMode;
}
// Uncover position k (1..20) of the polygon that is next to go in a preview
// mode; 0 for any other mode.
constexpr int32_t previewPosition(int32_t mode)
{
    return isPreviewMode(mode) ? mode - (kFirstPreviewMode - 1) : 0;
}
// The revealCount a preview mode shows: positions 1..k-1 uncovered, that is
// k - 1 polygons gone, cut to the polygon count; -1 for any other mode.
int32_t previewRevealCount(int32_t mode, int32_t polygonCount);
// The mode selector's label of a preview mode, "Polygon 1" .. "Polygon 20";
// empty for any other mode.
std::string previewModeLabel(int32_t mode);

}  // namespace gz
