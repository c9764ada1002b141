#include "board/point_in_polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace gz {
void PrintTo(const PolygonPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
}  // namespace gz

namespace {

using gz::PolygonPoint;
using Outline = std::vector<PolygonPoint>;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string describe(const Outline& pts)
{
    std::ostringstream os;
    for (const PolygonPoint& p : pts)
        os << "(" << p.x << "," << p.y << ")";
    return os.str();
}

// ------------------------------------------------------------ edge test

struct SegmentCase {
    const char* what;
    PolygonPoint a, b, p;
    bool hit;
};

class SegmentHitTest : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentHitTest, HitsWithinSqrt10AndBetweenTheEnds)
{
    const SegmentCase& c = GetParam();
    EXPECT_EQ(gz::segmentHit(c.a, c.b, c.p), c.hit) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentHitTest,
    ::testing::Values(
        SegmentCase{"on the segment", {0, 0}, {10, 0}, {5, 0}, true},
        SegmentCase{"distance 3: floor(C^2/L) = 9", {0, 0}, {10, 0}, {5, 3}, true},
        SegmentCase{"distance 4: 16 > 9", {0, 0}, {10, 0}, {5, -4}, false},
        SegmentCase{"just below sqrt 10 on a diagonal", {0, 0}, {10, 10}, {2, 6}, true},
        SegmentCase{"sqrt 18 off a diagonal", {0, 0}, {10, 10}, {2, 8}, false},
        SegmentCase{"at an end", {0, 0}, {10, 0}, {10, 0}, true},
        SegmentCase{"beyond an end, on the line", {0, 0}, {10, 0}, {11, 0}, false},
        SegmentCase{"beside an end, outside the band", {0, 0}, {10, 0}, {10, 2}, false},
        SegmentCase{"equal ends: the point itself", {4, 4}, {4, 4}, {4, 4}, true},
        SegmentCase{"equal ends: next to it", {4, 4}, {4, 4}, {5, 4}, false},
        // A cross product beyond 32767 must not widen the band: 4 pixels off
        // a 10000-pixel edge is a miss, as it is on a short edge.
        SegmentCase{"4 pixels off a long edge", {0, 0}, {10000, 0}, {5000, 4}, false},
        SegmentCase{"3 pixels off a long edge", {0, 0}, {10000, 0}, {5000, 3}, true},
        SegmentCase{"full-range diagonal, on it", {kMin, kMin}, {kMax, kMax}, {0, 0}, true},
        SegmentCase{"full-range diagonal, 2 off", {kMin, kMin}, {kMax, kMax}, {2, -2}, true},
        SegmentCase{"full-range diagonal, 3 off", {kMin, kMin}, {kMax, kMax}, {3, -3}, false}));

TEST(LineDistance, ExactForFullRangeCoordinates)
{
    // C = 2^32 - 1 and L = 2 (2^32 - 1)^2 would wrap in 64-bit squares.
    EXPECT_EQ(gz::lineDistanceSquaredFloor({kMin, kMin}, {kMax, kMax}, {0, 1}), 0);
    EXPECT_EQ(gz::lineDistanceSquaredFloor({kMin, 0}, {kMax, 0}, {0, kMax}),
              int64_t{kMax} * kMax);
    EXPECT_EQ(gz::lineDistanceSquaredFloor({0, 0}, {0, 0}, {0, 0}), 0);
    EXPECT_EQ(gz::lineDistanceSquaredFloor({0, 0}, {0, 0}, {0, 1}),
              std::numeric_limits<int64_t>::max());
}

// ------------------------------------------------------------ hand cases

struct ContainsCase {
    const char* what;
    Outline polygon;
    PolygonPoint p;
    bool inside;
};

class PolygonContainsTest : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(PolygonContainsTest, Case)
{
    const ContainsCase& c = GetParam();
    EXPECT_EQ(gz::polygonContains(c.polygon, c.p), c.inside)
        << c.what << ": " << describe(c.polygon);
}

const Outline kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
const Outline kApexDown{{0, 0}, {10, 10}, {20, 0}};              // apex at (10, 10)
const Outline kFlatTop{{0, 10}, {5, 5}, {10, 5}, {15, 10}};       // horizontal top edge
const Outline kStep{{0, 0}, {5, 0}, {5, 5}, {10, 5}, {10, 10}, {0, 10}};  // L shape
const Outline kColumn{{0, 0}, {5, 0}, {5, 3}, {5, 6}, {10, 6}, {10, 10}, {0, 10}};
const Outline kBowTie{{0, 0}, {10, 10}, {10, 0}, {0, 10}};

INSTANTIATE_TEST_SUITE_P(
    Cases, PolygonContainsTest,
    ::testing::Values(
        ContainsCase{"no points", {}, {0, 0}, false},
        ContainsCase{"one point, on it", {{3, 4}}, {3, 4}, true},
        ContainsCase{"one point, beside it", {{3, 4}}, {4, 4}, false},
        ContainsCase{"two points, on the segment", {{0, 0}, {10, 0}}, {5, 0}, true},
        ContainsCase{"two points, under a pixel off a diagonal", {{0, 0}, {10, 10}}, {5, 6}, true},
        ContainsCase{"two points, one pixel off", {{0, 0}, {10, 0}}, {5, 1}, false},
        // The line goes on past the ends; the polygon does not.
        ContainsCase{"two points, on the line past an end", {{0, 0}, {10, 0}}, {40, 0}, false},
        ContainsCase{"two equal points, on them", {{3, 3}, {3, 3}}, {3, 3}, true},
        ContainsCase{"two equal points, beside", {{3, 3}, {3, 3}}, {3, 4}, false},
        ContainsCase{"square, centre", kSquare, {5, 5}, true},
        ContainsCase{"square, on a vertical edge", kSquare, {10, 5}, true},
        ContainsCase{"square, on the other vertical edge", kSquare, {0, 5}, true},
        ContainsCase{"square, on the top edge", kSquare, {5, 0}, true},
        ContainsCase{"square, on the bottom edge", kSquare, {5, 10}, true},
        ContainsCase{"square, on a corner", kSquare, {10, 10}, true},
        ContainsCase{"square, right of it", kSquare, {11, 5}, false},
        ContainsCase{"square, below a vertical edge", kSquare, {10, 15}, false},
        ContainsCase{"square, above it", kSquare, {10, -1}, false},
        // The ray from below the apex passes through the vertex: one
        // crossing there, not two.
        ContainsCase{"apex: below the vertex", kApexDown, {10, 20}, false},
        ContainsCase{"apex: inside above the vertex", kApexDown, {10, 5}, true},
        ContainsCase{"apex: on the vertex", kApexDown, {10, 10}, true},
        ContainsCase{"apex: just below the vertex", kApexDown, {10, 11}, false},
        ContainsCase{"apex: ray through a top corner", kApexDown, {0, 3}, false},
        ContainsCase{"flat top: below its left end", kFlatTop, {5, 20}, false},
        ContainsCase{"flat top: below its right end", kFlatTop, {10, 20}, false},
        ContainsCase{"flat top: below its middle", kFlatTop, {7, 20}, false},
        ContainsCase{"flat top: inside below its left end", kFlatTop, {5, 8}, true},
        ContainsCase{"flat top: inside", kFlatTop, {7, 7}, true},
        ContainsCase{"step: below a vertical edge, inside", kStep, {5, 8}, true},
        ContainsCase{"step: below a vertical edge, outside", kStep, {5, 12}, false},
        ContainsCase{"step: left of the step", kStep, {2, 2}, true},
        ContainsCase{"step: in the notch", kStep, {7, 2}, false},
        ContainsCase{"column of vertices above, inside", kColumn, {5, 8}, true},
        ContainsCase{"column of vertices above, outside", kColumn, {5, 12}, false},
        ContainsCase{"bow tie: the crossing point", kBowTie, {5, 5}, true},
        ContainsCase{"bow tie: left lobe", kBowTie, {2, 5}, true},
        ContainsCase{"bow tie: between the lobes", kBowTie, {5, 2}, false}));

// ------------------------------------------------------------ reference

bool referenceOnOutline(const Outline& pts, PolygonPoint p)
{
    for (std::size_t j = 0; j < pts.size(); ++j) {
        const PolygonPoint a = pts[j], b = pts[(j + 1) % pts.size()];
        const int64_t cross = int64_t{b.x - a.x} * (p.y - a.y) - int64_t{b.y - a.y} * (p.x - a.x);
        if (cross == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
            std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y))
            return true;
    }
    return false;
}

// Inside by the even-odd rule: the winding number (summed angles) is odd.
// Valid for points off the outline, where every angle is within (-pi, pi).
bool referenceInside(const Outline& pts, PolygonPoint p)
{
    if (referenceOnOutline(pts, p))
        return true;
    double sum = 0;
    for (std::size_t j = 0; j < pts.size(); ++j) {
        const PolygonPoint a = pts[j], b = pts[(j + 1) % pts.size()];
        const double ax = static_cast<double>(a.x) - p.x, ay = static_cast<double>(a.y) - p.y;
        const double bx = static_cast<double>(b.x) - p.x, by = static_cast<double>(b.y) - p.y;
        sum += std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    }
    const long winding = std::lround(sum / (2 * std::numbers::pi));
    return winding % 2 != 0;
}

Outline randomOutline(std::mt19937& rng, int maxCoord)
{
    std::uniform_int_distribution<int> count(3, 12);
    std::uniform_int_distribution<int> coord(0, maxCoord);
    Outline pts(static_cast<std::size_t>(count(rng)));
    for (PolygonPoint& q : pts)
        q = {coord(rng), coord(rng)};
    return pts;
}

// Small grids make vertices on the ray, horizontal and vertical edges,
// collinear runs, repeated points and self-crossings common.
TEST(PolygonContainsReference, RandomOutlinesOnASmallGrid)
{
    std::mt19937 rng(20261210);
    for (int round = 0; round < 1500; ++round) {
        const Outline pts = randomOutline(rng, 12);
        for (int y = -2; y <= 14; ++y) {
            for (int x = -2; x <= 14; ++x) {
                const PolygonPoint p{x, y};
                ASSERT_EQ(gz::polygonContains(pts, p), referenceInside(pts, p))
                    << describe(pts) << " at (" << x << "," << y << ")";
            }
        }
    }
}

TEST(PolygonContainsReference, RandomOutlinesAtPictureScale)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-50, 2050);
    for (int round = 0; round < 300; ++round) {
        const Outline pts = randomOutline(rng, 2000);
        for (int k = 0; k < 200; ++k) {
            const PolygonPoint p{coord(rng), coord(rng)};
            ASSERT_EQ(gz::polygonContains(pts, p), referenceInside(pts, p))
                << describe(pts) << " at (" << p.x << "," << p.y << ")";
        }
    }
}

// Scaling the plane keeps inside, outside and on-the-outline: the same
// small-grid cases blown up to nearly the full 32-bit range must agree.
TEST(PolygonContainsReference, ScaledToTheFullIntRange)
{
    constexpr int64_t kScale = 1 << 26;  // 14 * 2^26 + offset stays in range
    const auto scale = [](PolygonPoint q) {
        return PolygonPoint{static_cast<int32_t>(q.x * kScale - (int64_t{1} << 30)),
                            static_cast<int32_t>(q.y * kScale - (int64_t{1} << 30))};
    };
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        const Outline pts = randomOutline(rng, 12);
        Outline big;
        for (const PolygonPoint& q : pts)
            big.push_back(scale(q));
        for (int y = -2; y <= 14; ++y) {
            for (int x = -2; x <= 14; ++x) {
                const PolygonPoint p{x, y};
                ASSERT_EQ(gz::polygonContains(big, scale(p)), referenceInside(pts, p))
                    << describe(pts) << " at (" << x << "," << y << ")";
            }
        }
    }
}

TEST(PolygonContains, CoverPolygonUsesOnlyItsPointsInUse)
{
    gz::CoverPolygon poly;
    poly.points[0] = {0, 0};
    poly.points[1] = {10, 0};
    poly.points[2] = {10, 10};
    poly.points[3] = {0, 10};
    poly.points[4] = {100, 100};  // stale
    poly.pointCount = 4;
    EXPECT_TRUE(gz::polygonContains(poly, {5, 5}));
    EXPECT_FALSE(gz::polygonContains(poly, {50, 50}));
    poly.pointCount = 3;  // now the triangle (0,0) (10,0) (10,10)
    EXPECT_FALSE(gz::polygonContains(poly, {2, 8}));
    poly.pointCount = 1000;  // corrupt count: clamped, never read past the table
    EXPECT_FALSE(gz::polygonContains(poly, {-5, -5}));
}

}  // namespace
