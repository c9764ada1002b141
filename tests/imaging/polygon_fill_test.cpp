// Polygon fill against a point-in-polygon reference, plus lines, clipping
// and the degenerate cases.
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <set>
#include <vector>

namespace gz {
namespace {

using Points = std::vector<RasterPoint>;
constexpr uint32_t kInk = 0xFFFFFF;

bool evenOddInside(const Points& poly, double px, double py)
{
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

double distanceToSegment(RasterPoint a, RasterPoint b, double px, double py)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = dx * dx + dy * dy;
    double t = len > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// Classic integer Bresenham, stepped from the upper end: the pixels an edge
// must cover.
std::set<std::pair<int, int>> bresenham(RasterPoint p, RasterPoint q)
{
    if (q.y < p.y || (q.y == p.y && q.x < p.x))
        std::swap(p, q);
    std::set<std::pair<int, int>> pixels;
    const int dx = std::abs(q.x - p.x), dy = q.y - p.y, sx = q.x >= p.x ? 1 : -1;
    int x = p.x, y = p.y;
    if (dx > dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i <= dx; ++i, x += sx) {
            pixels.insert({x, y});
            if (err > 0) {
                ++y;
                err -= 2 * dx;
            }
            err += 2 * dy;
        }
    } else {
        int err = 2 * dx - dy;
        for (; y <= q.y; ++y) {
            pixels.insert({x, y});
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
        }
    }
    return pixels;
}

struct Shape {
    const char* name;
    Points points;
};

const Shape kShapes[] = {
    {"triangle", {{5, 3}, {50, 10}, {20, 45}}},
    {"concave arrow", {{5, 5}, {55, 25}, {5, 45}, {20, 25}}},
    {"comb with a notch", {{2, 2}, {12, 2}, {12, 30}, {20, 30}, {20, 2}, {40, 2}, {40, 44}, {2, 44}}},
    {"staircase", {{3, 3}, {20, 3}, {20, 15}, {35, 15}, {35, 30}, {50, 30}, {50, 45}, {3, 45}}},
    {"bow tie", {{3, 3}, {55, 45}, {55, 3}, {3, 45}}},
    {"pentagram", {{30, 2}, {47, 46}, {3, 18}, {57, 18}, {13, 46}}},
    {"shallow sliver", {{1, 20}, {58, 23}, {2, 26}}},
    {"self-overlapping loop", {{5, 5}, {45, 5}, {45, 40}, {15, 40}, {15, 15}, {55, 15}, {55, 45}, {5, 45}}},
};

TEST(FillPolygon, MatchesEvenOddAwayFromEdgesAndCoversEveryEdgePixel)
{
    for (const Shape& shape : kShapes) {
        RasterImage image;
        ASSERT_TRUE(image.create(24, 60, 50, 0u));
        ASSERT_TRUE(image.fillPolygon(shape.points.data(), static_cast<int>(shape.points.size()), kInk));
        const Points& p = shape.points;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 60; ++x) {
                double nearest = 1e9;
                for (std::size_t i = 0; i < p.size(); ++i)
                    nearest = std::min(nearest, distanceToSegment(p[i], p[(i + 1) % p.size()], x, y));
                if (nearest < 1.5)
                    continue;   // boundary pixels: checked below
                EXPECT_EQ(image.colourAt(x, y) == kInk, evenOddInside(p, x, y))
                    << shape.name << " at " << x << "," << y;
            }
        }
        for (std::size_t i = 0; i < p.size(); ++i)
            for (auto [x, y] : bresenham(p[i], p[(i + 1) % p.size()]))
                EXPECT_EQ(image.colourAt(x, y), kInk) << shape.name << " edge " << i << " at " << x << "," << y;
    }
}

TEST(FillPolygon, DoublyCoveredPartsOfASelfOverlappingPolygonStayEmpty)
{
    // The loop covers the square (15..45, 15..40) twice.
    const Points& loop = kShapes[7].points;
    RasterImage image;
    ASSERT_TRUE(image.create(24, 60, 50, 0u));
    image.fillPolygon(loop.data(), static_cast<int>(loop.size()), kInk);
    EXPECT_EQ(image.colourAt(30, 28), 0u);
    EXPECT_EQ(image.colourAt(10, 28), kInk);
    EXPECT_EQ(image.colourAt(30, 10), kInk);
}

TEST(FillPolygon, ClipsAtEveryEdgeLikeTheSameShapeOnALargerImage)
{
    const Points& star = kShapes[5].points;
    struct Case {
        const char* edge;
        int dx, dy;
    };
    const Case cases[] = {{"left", -20, 0}, {"top", 0, -25}, {"right", 30, 0},  {"bottom", 0, 30},
                          {"top-left", -25, -20}, {"bottom-right", 35, 30}, {"far away", 5000, -7000}};
    for (const Case& c : cases) {
        // Reference: the whole shape on a canvas that contains it.
        RasterImage canvas, image;
        ASSERT_TRUE(canvas.create(24, 200, 200, 0u));
        ASSERT_TRUE(image.create(24, 60, 50, 0u));
        Points onCanvas, onImage;
        for (RasterPoint p : star) {
            onCanvas.push_back({p.x + 70, p.y + 70});
            onImage.push_back({p.x + c.dx, p.y + c.dy});
        }
        canvas.fillPolygon(onCanvas.data(), 5, kInk);
        EXPECT_TRUE(image.fillPolygon(onImage.data(), 5, kInk));
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 60; ++x) {
                const int cx = x - c.dx + 70, cy = y - c.dy + 70;
                const bool want = cx >= 0 && cy >= 0 && cx < 200 && cy < 200 && canvas.colourAt(cx, cy) == kInk;
                ASSERT_EQ(image.colourAt(x, y) == kInk, want) << c.edge << " at " << x << "," << y;
            }
        }
    }
}

TEST(FillPolygon, NeighboursSharingAnEdgeLeaveNoGap)
{
    RasterImage image;
    ASSERT_TRUE(image.create(24, 40, 40, 0u));
    const Points a = {{2, 3}, {37, 9}, {11, 36}};
    const Points b = {{37, 9}, {11, 36}, {38, 38}};   // shared edge listed the other way round
    image.fillPolygon(a.data(), 3, 0x0000FF);
    image.fillPolygon(b.data(), 3, 0x00FF00);
    for (auto [x, y] : bresenham({37, 9}, {11, 36}))
        EXPECT_EQ(image.colourAt(x, y), 0x00FF00u) << x << "," << y;
}

TEST(FillPolygon, FewPointsAndFlatPolygonsDrawPointsAndLines)
{
    struct Case {
        const char* name;
        Points points;
        Points lineEnds;   // expected: the Bresenham line between these
    };
    const Case cases[] = {
        {"one point", {{4, 5}}, {{4, 5}, {4, 5}}},
        {"steep line", {{3, 1}, {9, 28}}, {{3, 1}, {9, 28}}},
        {"shallow line upwards", {{30, 2}, {1, 12}}, {{30, 2}, {1, 12}}},
        {"diagonal", {{0, 0}, {20, 20}}, {{0, 0}, {20, 20}}},
        {"tie steps", {{0, 0}, {5, 10}}, {{0, 0}, {5, 10}}},
        {"horizontal", {{25, 7}, {2, 7}}, {{2, 7}, {25, 7}}},
        {"all on one column", {{6, 9}, {6, 2}, {6, 20}, {6, 4}}, {{6, 2}, {6, 20}}},
        {"all on one row", {{8, 3}, {1, 3}, {29, 3}}, {{1, 3}, {29, 3}}},
    };
    for (const Case& c : cases) {
        RasterImage image;
        ASSERT_TRUE(image.create(24, 32, 30, 0u));
        EXPECT_TRUE(image.fillPolygon(c.points.data(), static_cast<int>(c.points.size()), kInk)) << c.name;
        const auto want = bresenham(c.lineEnds[0], c.lineEnds[1]);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(image.colourAt(x, y) == kInk, want.count({x, y}) == 1) << c.name << " at " << x << "," << y;
    }
}

TEST(FillPolygon, RefusesTooManyPointsAndEmptyImages)
{
    Points many;
    for (int i = 0; i < 65; ++i)
        many.push_back({static_cast<int>(20 + 15 * std::cos(i * 0.0966)), static_cast<int>(20 + 15 * std::sin(i * 0.0966))});
    RasterImage image;
    ASSERT_TRUE(image.create(24, 40, 40, 0u));
    EXPECT_FALSE(image.fillPolygon(many.data(), 65, kInk));
    EXPECT_TRUE(image.fillPolygon(many.data(), 64, kInk));
    EXPECT_EQ(image.colourAt(20, 20), kInk);
    EXPECT_FALSE(image.fillPolygon(many.data(), 0, kInk));
    RasterImage empty;
    EXPECT_FALSE(empty.fillPolygon(many.data(), 3, kInk));
}

TEST(FillPolygon, HugeCoordinatesAreClippedWithoutWalkingTheEdges)
{
    RasterImage image;
    ASSERT_TRUE(image.create(8, 16, 16, 0u));
    const Points huge = {{-2000000000, -2000000000}, {2000000000, -1999999999}, {0, 2000000000}};
    EXPECT_TRUE(image.fillPolygon(huge.data(), 3, 5));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(image.pixel(x, y), 5u) << x << "," << y;
}

TEST(FillPolygon, FillsEveryDepth)
{
    const Points& arrow = kShapes[1].points;
    RasterImage reference;
    ASSERT_TRUE(reference.create(24, 60, 50, 0u));
    reference.fillPolygon(arrow.data(), 4, kInk);
    for (int bpp : {1, 2, 4, 8, 12, 15, 16, 32}) {
        RasterImage image;
        ASSERT_TRUE(image.create(bpp, 60, 50, 0u));
        const uint32_t value = bpp <= 8 ? (1u << (bpp < 4 ? bpp : 4)) - 1 : kInk;
        image.fillPolygon(arrow.data(), 4, value);
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 60; ++x)
                ASSERT_EQ(image.pixel(x, y) != 0, reference.colourAt(x, y) == kInk) << bpp << " bits " << x << "," << y;
    }
}


// Random many-pointed polygons, often crossing themselves, with horizontal
// and vertical edges mixed in: edges change their left-to-right order from
// row to row, which the even-odd pairing must follow.
std::vector<Points> randomPolygons(unsigned seed, int count, int width, int height)
{
    std::mt19937 rng(seed);
    std::vector<Points> polygons;
    for (int p = 0; p < count; ++p) {
        Points points;
        const int n = 3 + static_cast<int>(rng() % 30);
        for (int i = 0; i < n; ++i) {
            RasterPoint q{static_cast<int>(rng() % (width + 20)) - 10, static_cast<int>(rng() % (height + 20)) - 10};
            if (i > 0 && rng() % 4 == 0)
                q.y = points.back().y;
            else if (i > 0 && rng() % 6 == 0)
                q.x = points.back().x;
            points.push_back(q);
        }
        polygons.push_back(points);
    }
    return polygons;
}

TEST(FillPolygon, RandomPolygonsMatchEvenOddAwayFromEdgesAndCoverEveryEdgePixel)
{
    for (const Points& p : randomPolygons(21, 60, 80, 60)) {
        RasterImage image;
        ASSERT_TRUE(image.create(32, 80, 60, 0u));
        ASSERT_TRUE(image.fillPolygon(p.data(), static_cast<int>(p.size()), kInk));
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 80; ++x) {
                double nearest = 1e9;
                for (std::size_t i = 0; i < p.size(); ++i)
                    nearest = std::min(nearest, distanceToSegment(p[i], p[(i + 1) % p.size()], x, y));
                if (nearest >= 1.5) {
                    ASSERT_EQ(image.pixel(x, y) == kInk, evenOddInside(p, x, y))
                        << p.size() << " points, at " << x << "," << y;
                }
            }
        }
        for (std::size_t i = 0; i < p.size(); ++i)
            for (auto [x, y] : bresenham(p[i], p[(i + 1) % p.size()]))
                if (x >= 0 && y >= 0 && x < 80 && y < 60) {
                    ASSERT_EQ(image.pixel(x, y), kInk) << p.size() << " points, edge " << i << " at " << x << "," << y;
                }
    }
}

TEST(FillPolygon, ThirtyTwoBitsFillWholeWordsLikeEveryOtherRow)
{
    // Owned 32-bit rows take whole words; caller memory at an odd address
    // and 24 bits take the per-format routine. All must cover the same
    // pixels, and 32 bits must keep the colour's alpha byte.
    constexpr int w = 70, h = 45;
    std::vector<uint8_t> memory(static_cast<std::size_t>(4 * w * h) + 1);
    RasterImage words, odd, narrow;
    ASSERT_TRUE(words.create(32, w, h, 0u));
    ASSERT_TRUE(odd.create(32, w, h, std::nullopt, memory.data() + 1));
    std::memset(odd.bits(), 0, odd.byteSize());
    ASSERT_TRUE(narrow.create(24, w, h, 0u));
    uint32_t colour = 0x80102030;
    for (const Points& p : randomPolygons(8, 40, w, h)) {
        colour += 0x03050709;
        for (RasterImage* image : {&words, &odd, &narrow})
            image->fillPolygon(p.data(), static_cast<int>(p.size()), image == &narrow ? colour & 0xFFFFFF : colour);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(words.pixel(x, y), odd.pixel(x, y)) << x << "," << y;
            ASSERT_EQ(words.pixel(x, y) & 0xFFFFFF, narrow.pixel(x, y)) << x << "," << y;
            ASSERT_TRUE(words.pixel(x, y) == 0 || words.pixel(x, y) >> 24 != 0) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace gz
