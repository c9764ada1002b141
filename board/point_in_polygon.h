// Exact integer geometry for hit-testing cover polygons: the distance of a
// point from a line, the editor's edge test and the point-in-polygon test of
// sort mode. All inputs are 32-bit integer points (board or picture pixels);
// every product is formed in 128 bits, so no input overflows or wraps.
#pragma once

#include <cstdint>
#include <span>

#include "game/game_content.h"

namespace gz {

// floor(C^2 / L) with C = (b - a) x (p - a) and L = |b - a|^2: the squared
// distance of p from the infinite line through a and b, rounded down.
// Exact up to 2^60; larger distances may read as INT64_MAX. When a equals
// b there is no line: 0 when p equals a, else INT64_MAX.
int64_t lineDistanceSquaredFloor(PolygonPoint a, PolygonPoint b, PolygonPoint p);

// True when p lies in the band between the ends of segment ab: both
// |p - a|^2 and |p - b|^2 are at most |b - a|^2.
bool withinSegmentBand(PolygonPoint a, PolygonPoint b, PolygonPoint p);

// The editor's edge test: p hits segment ab when its distance from the line
// is below sqrt(10) (floor(C^2 / L) <= 9) and it lies in the band between the
// ends. A segment whose ends are equal is hit only at that point.
bool segmentHit(PolygonPoint a, PolygonPoint b, PolygonPoint p);

// True when p lies exactly on the closed segment ab.
bool onSegment(PolygonPoint a, PolygonPoint b, PolygonPoint p);

// Point-in-polygon test of sort mode over the closed outline pts[0..n-1]:
//   n = 0: never inside;
//   n = 1: inside only at that point;
//   n = 2: inside within one pixel of the segment (floor(C^2 / L) = 0 and in
//          the band between the ends); two equal points contain only
//          themselves;
//   n >= 3: inside when p lies on the outline, else by the parity of the
//          crossings of a ray from p toward smaller y (even-odd rule, so a
//          self-crossing outline has holes where it overlaps itself).
// Each edge spans the half-open x range [min x, max x), so a ray through a
// vertex crosses the outline there once when the outline passes the vertex
// and zero times when it turns back, and vertical edges never count.
bool polygonContains(std::span<const PolygonPoint> pts, PolygonPoint p);

// The same test over the points in use of a cover polygon (pointCount is
// clamped to 0..32).
bool polygonContains(const CoverPolygon& polygon, PolygonPoint p);

}  // namespace gz
