// Generated covers: a puzzle of irregular pieces that tiles a whole picture
// without gaps or overlaps, for a game master who does not want to draw 20
// polygons by hand.
//
// The pieces come from a jittered brick layout: rows of cells whose shared
// borders are wavy polylines with integer corners. Two neighbouring pieces
// share their common border corner for corner, so every fill that treats a
// shared edge the same from both sides leaves no gap between them at any
// scale. Each piece has at most kMaxPolygonPoints corners.
//
// The uncover order is random, with no two neighbours (pieces sharing a
// border of positive length) uncovered one after the other wherever the
// layout allows that. Where the rows with the squarest cells do not allow
// it (four or five pieces), other row counts are tried, down to strips.
// Two pieces always touch, and of three one touches both others, so those
// take one neighbour step.
//
// Pictures with fewer pixel rows or columns than the pieces need get some
// pieces without area (lines or points, padded to three corners); every
// corner still lies inside the picture.
//
// Everything follows from the seed: the same picture size, piece count and
// seed give the same cover on every machine.
#pragma once

#include <cstdint>

#include "game/game_content.h"

namespace gz {

constexpr int kMinCoverPieces = 2;
constexpr int kMaxCoverPieces = kMaxPolygons;   // 32
constexpr int kDefaultCoverPieces = 20;

// Replaces the polygon table of `game` with a generated cover of `pieces`
// pieces (clamped to 2..32) over a width x height picture (sides below 1
// count as 1). The cover reaches the picture's far edges: its border
// corners lie on x = 0, x = width, y = 0 and y = height, so it covers the
// last pixel column and row whole at any scale. Slot i is uncovered as number polygonCount - i, as for any
// cover. Colour indexes stay with their slots; names are cleared. Does not
// touch `modified`, the picture or the texts.
void generateCover(GameContent& game, int width, int height, int pieces, uint64_t seed);

// Whether polygons a and b of `game` share a border of positive length
// (a common edge, or overlapping collinear parts of edges).
bool polygonsAreNeighbours(const GameContent& game, int a, int b);

}  // namespace gz
