// Whether two closed outlines share a border of positive length: some edge
// of one lies on the same line as some edge of the other and the two overlap
// in more than a point. Touching at a corner, or crossing, is not sharing.
// Exact integer arithmetic for any 32-bit coordinates.
#pragma once

#include "game/game_content.h"

namespace gz {

// Edge i of an outline runs from point i to point i + 1 (cyclically); an
// outline of fewer than two points has no edges.
bool outlinesShareBorder(const PolygonPoint* a, int aCount, const PolygonPoint* b, int bCount);

}  // namespace gz
