// The jittered brick layout of a generated cover.
//
// The picture is cut into rows, each row into pieces. Row heights follow
// their piece counts, so all cells have the same nominal area. A border
// between two rows is a wavy polyline running left to right, with a corner
// (knot) at every piece border of the rows above and below and a few more
// for the wave; a piece border within a row runs down from its knot on the
// upper row border to its knot on the lower one through one or two corners.
//
// The jitter is bounded so that no two borders can cross:
//  - the knots of a row border stay in a band around its nominal height,
//    and the bands of one row's two borders never meet;
//  - the middle corners of a piece border lie strictly between those
//    bands, within half the distance to the nearest other knot on either
//    row border, so the border leaves and reaches its knots below and above
//    the neighbouring stretches of the row borders;
//  - piece borders of the next row avoid the knots of the row above, which
//    gives the brick look and keeps knots apart.
// Every piece lists the shared corners of its borders exactly, so two
// neighbours meet edge for edge. Corners are integer pixels in 0..W-1 x
// 0..H-1; those on the picture's border lie on x = 0, x = W-1, y = 0 or
// y = H-1.
//
// A picture with fewer pixel rows or columns than the layout needs gives
// pieces without area (lines or points); they are padded to three corners
// by repeating their last one. Nothing else repeats a corner.
#pragma once

#include <cstdint>
#include <vector>

#include "game/game_content.h"

namespace gz {

using PieceOutline = std::vector<PolygonPoint>;

// Row counts worth trying for `pieces` pieces over width x height (sides
// below 1 count as 1): those the picture has room for, the one whose cells
// are closest to square first, then by growing distance from square (fewer
// rows first on a tie).
std::vector<int> preferredRowCounts(int width, int height, int pieces);

// The outlines of a layout of `pieces` pieces (at least 1) in `rows` rows
// (clamped to 1..pieces), in reading order: row by row from the top, left to
// right. Each outline runs clockwise on screen: top border left to right,
// right border down, bottom border right to left, left border up. Empty when
// a piece would need more than kMaxPolygonPoints corners.
std::vector<PieceOutline> brickLayout(int width, int height, int pieces, int rows, uint64_t seed);

}  // namespace gz
