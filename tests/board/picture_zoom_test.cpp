// The zoom's geometry: steps from the fit up to 8 board pixels per picture
// pixel, zooming around a board point, the pan bounds and the mapping at
// every zoom.
#include "board/picture_zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace gz {
namespace {

// 1000 x 700 board with large stars: the picture area is (142, 42, 716, 658).
constexpr int kBoardW = 1000;
constexpr int kBoardH = 700;
constexpr BoardRect kArea{142, 42, 716, 658};

ZoomFrame frameFor(int pictureWidth, int pictureHeight, int boardW = kBoardW, int boardH = kBoardH)
{
    return zoomFrameFor(boardLayoutFor(kStarSizeLarge), boardW, boardH, pictureWidth, pictureHeight);
}

double scaleOf(const PictureMapping& m) { return double(m.numerator) / m.denominator; }

// The exact (fractional) picture position under a board position, and back.
double pictureX(const PictureMapping& m, double bx) { return (bx - m.xOffset) / scaleOf(m); }
double pictureY(const PictureMapping& m, double by) { return (by - m.yOffset) / scaleOf(m); }
double boardX(const PictureMapping& m, double px) { return px * scaleOf(m) + m.xOffset; }
double boardY(const PictureMapping& m, double py) { return py * scaleOf(m) + m.yOffset; }

// Where the picture lies on the board: [left, right) x [top, bottom).
struct Placed {
    int left, top, right, bottom;
};
Placed placed(const ZoomFrame& f, const PictureMapping& m)
{
    const PolygonPoint a = m.toBoard({0, 0});
    const PolygonPoint b = m.toBoard({f.pictureWidth, f.pictureHeight});
    return {a.x, a.y, b.x, b.y};
}

TEST(PictureZoom, StepZeroIsTheFitMappingExactly)
{
    struct Case {
        int pw, ph, boardW, boardH;
    };
    const Case cases[] = {
        {4000, 3000, 1000, 700}, {1600, 1200, 1000, 700}, {3000, 4000, 1920, 1080},
        {160, 120, 640, 480},    {5000, 1, 1000, 700},    {1, 1, 800, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pw) + "x" + std::to_string(c.ph));
        const ZoomFrame f = frameFor(c.pw, c.ph, c.boardW, c.boardH);
        const PictureMapping fit = computePictureMapping(boardLayoutFor(kStarSizeLarge), c.boardW,
                                                         c.boardH, c.pw, c.ph);
        EXPECT_EQ(zoomedMapping(f, PictureZoom{}), fit);
        // A stored centre means nothing at the fit.
        EXPECT_EQ(zoomedMapping(f, PictureZoom{0, 123456789, -5}), fit);
        // Zooming out of the fit stays at the fit.
        EXPECT_EQ(zoomedMapping(f, zoomedAround(f, {}, {500, 400}, -3)), fit);
    }
}

TEST(PictureZoom, StepsGrowByAQuarterUpToEightBoardPixelsPerPicturePixel)
{
    const ZoomFrame f = frameFor(4000, 3000);   // fit 716 / 4000 = 0.179
    const int32_t top = maxZoomStep(f);
    ASSERT_GT(top, 10);
    double previous = scaleOf(f.fit);
    for (int32_t step = 1; step <= top; ++step) {
        const double s = scaleOf(zoomedMapping(f, {step, 2000 * kZoomCentreUnit, 1500 * kZoomCentreUnit}));
        if (step < top)
            EXPECT_NEAR(s / previous, 1.25, 0.001) << step;
        else
            EXPECT_GT(s / previous, 1.0) << step;
        previous = s;
    }
    EXPECT_EQ(previous, 8.0);
    EXPECT_LT(scaleOf(f.fit) * std::pow(1.25, top - 1), 8.0);
    // Beyond the top step: the top step.
    EXPECT_EQ(zoomedMapping(f, {top + 5, 0, 0}), zoomedMapping(f, {top, 0, 0}));
    EXPECT_EQ(clampedZoom(f, {top + 5, 0, 0}).step, top);
    EXPECT_EQ(clampedZoom(f, {-4, 0, 0}).step, 0);

    // Pictures that need no zoom, and boards without a picture area.
    EXPECT_EQ(maxZoomStep(frameFor(80, 70)), 0);    // fit 8.2
    EXPECT_GT(maxZoomStep(frameFor(100, 90)), 0);   // fit 6.6
    EXPECT_EQ(maxZoomStep(frameFor(4000, 3000, 250, 700)), 0);
    EXPECT_EQ(maxZoomStep(frameFor(4000, 3000, 1000, 40)), 0);
}

// A picture with the area's own aspect fills it at the fit on both axes, so
// zooming in never meets a bound: the picture point under the cursor stays
// under it to within a board pixel.
TEST(PictureZoom, ZoomingKeepsThePicturePointUnderTheCursor)
{
    const ZoomFrame f = frameFor(716 * 4, 658 * 4);
    const int32_t top = maxZoomStep(f);
    struct Case {
        const char* what;
        PolygonPoint start;   // zoomed in at the area's centre by startSteps first
        int startSteps;
        PolygonPoint cursor;
        int steps;
    };
    const Case cases[] = {
        {"one step at the centre", {500, 371}, 0, {500, 371}, 1},
        {"one step at the top left corner", {500, 371}, 0, {142, 42}, 1},
        {"one step at the bottom right corner", {500, 371}, 0, {857, 699}, 1},
        {"three steps near the left edge", {500, 371}, 0, {150, 600}, 3},
        {"to the top at an odd place", {500, 371}, 0, {613, 97}, top},
        {"in again from a zoom", {300, 200}, 4, {777, 650}, 2},
        {"a step at the top", {300, 200}, top - 1, {400, 300}, 1},
        {"out one step in the middle", {500, 371}, 8, {520, 390}, -1},
        {"out two steps from the top", {500, 371}, top, {480, 350}, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureZoom from = zoomedAround(f, {}, c.start, c.startSteps);
        const PictureMapping before = zoomedMapping(f, from);
        const PictureZoom to = zoomedAround(f, from, c.cursor, c.steps);
        EXPECT_EQ(to.step, std::clamp(from.step + c.steps, 0, top));
        const PictureMapping after = zoomedMapping(f, to);
        const double px = pictureX(before, c.cursor.x);
        const double py = pictureY(before, c.cursor.y);
        EXPECT_NEAR(boardX(after, px), c.cursor.x, 1.0);
        EXPECT_NEAR(boardY(after, py), c.cursor.y, 1.0);
    }
}

// A wide picture is narrower than the area vertically until it is zoomed
// far enough: that axis stays centred while the other follows the cursor.
TEST(PictureZoom, AnAxisNarrowerThanTheAreaStaysCentred)
{
    const ZoomFrame f = frameFor(4000, 1000);   // fit: 716 x 179
    const PictureZoom z = zoomedAround(f, {}, {300, 371}, 2);
    const PictureMapping m = zoomedMapping(f, z);
    const Placed p = placed(f, m);
    ASSERT_LT(p.bottom - p.top, kArea.h);
    EXPECT_LE(std::abs((p.top - kArea.y) - (kArea.y + kArea.h - p.bottom)), 1);
    EXPECT_NEAR(boardX(m, pictureX(f.fit, 300)), 300, 1.0);
    // Dragging it up or down changes nothing on that axis.
    EXPECT_EQ(zoomedMapping(f, pannedBy(f, z, 0, 200)), m);
    EXPECT_EQ(zoomedMapping(f, pannedBy(f, z, 0, -200)).yOffset, m.yOffset);
}

TEST(PictureZoom, PanStopsAtThePictureEdges)
{
    const ZoomFrame f = frameFor(4000, 3000);
    const PictureZoom z = zoomedAround(f, {}, {500, 371}, 6);
    const PictureMapping m = zoomedMapping(f, z);
    ASSERT_GT(placed(f, m).right - placed(f, m).left, kArea.w);
    ASSERT_GT(placed(f, m).bottom - placed(f, m).top, kArea.h);
    const int areaRight = kArea.x + kArea.w;
    const int areaBottom = kArea.y + kArea.h;
    struct Case {
        const char* what;
        int dx, dy;
        // Expected edges: -1 for "not at an edge".
        int left, top, right, bottom;
    };
    const Case cases[] = {
        {"far right and down", 100000, 100000, kArea.x, kArea.y, -1, -1},
        {"far left and up", -100000, -100000, -1, -1, areaRight, areaBottom},
        {"far right only", 50000, 0, kArea.x, -1, -1, -1},
        {"far up only", 0, -50000, -1, -1, -1, areaBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Placed p = placed(f, zoomedMapping(f, pannedBy(f, z, c.dx, c.dy)));
        if (c.left >= 0) {
            EXPECT_EQ(p.left, c.left);
        }
        if (c.top >= 0) {
            EXPECT_EQ(p.top, c.top);
        }
        if (c.right >= 0) {
            EXPECT_EQ(p.right, c.right);
        }
        if (c.bottom >= 0) {
            EXPECT_EQ(p.bottom, c.bottom);
        }
        // Never any gap between the picture and the area's edges.
        EXPECT_LE(p.left, kArea.x);
        EXPECT_LE(p.top, kArea.y);
        EXPECT_GE(p.right, areaRight);
        EXPECT_GE(p.bottom, areaBottom);
    }
    // An ordinary drag moves the picture with the mouse, and back again.
    const PictureMapping moved = zoomedMapping(f, pannedBy(f, z, 37, -21));
    EXPECT_EQ(moved.xOffset, m.xOffset + 37);
    EXPECT_EQ(moved.yOffset, m.yOffset - 21);
    EXPECT_EQ(zoomedMapping(f, pannedBy(f, pannedBy(f, z, 37, -21), -37, 21)), m);
    // Dragged past an edge, it follows at once when dragged back.
    const PictureZoom atEdge = pannedBy(f, z, 100000, 0);
    EXPECT_EQ(placed(f, zoomedMapping(f, pannedBy(f, atEdge, -10, 0))).left, kArea.x - 10);
    // The fit does not move.
    EXPECT_EQ(zoomedMapping(f, pannedBy(f, {}, 300, 300)), f.fit);
}

// A zoom stored for another board size is bounded to the new one: a larger
// window keeps the picture's centre point, a smaller one its bounds.
TEST(PictureZoom, AZoomOfAnotherSizeIsBoundedToTheNewOne)
{
    const ZoomFrame big = frameFor(4000, 3000, 1920, 1080);
    const PictureZoom z = pannedBy(big, zoomedAround(big, {}, {400, 100}, 12), 100000, 100000);
    for (auto [w, h] : {std::pair{1000, 700}, {640, 480}, {3000, 2000}, {300, 60}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const ZoomFrame f = frameFor(4000, 3000, w, h);
        const PictureZoom c = clampedZoom(f, z);
        EXPECT_LE(c.step, maxZoomStep(f));
        const PictureMapping m = zoomedMapping(f, z);
        EXPECT_EQ(m, zoomedMapping(f, c));
        EXPECT_EQ(clampedZoom(f, c), c);   // stable
        if (c.isFit())
            continue;
        const Placed p = placed(f, m);
        EXPECT_LE(p.left, f.area.x);
        EXPECT_LE(p.top, f.area.y);
    }
}

// Board -> picture -> board lands in the board pixels of that picture pixel,
// and picture -> board -> picture comes back to within a pixel (exactly at
// a whole number of board pixels per picture pixel), at every step.
TEST(PictureZoom, MappingRoundTripsAtEveryStep)
{
    const ZoomFrame f = frameFor(4000, 3000);
    for (int32_t step = 0; step <= maxZoomStep(f); ++step) {
        SCOPED_TRACE(step);
        const PictureZoom z = pannedBy(f, zoomedAround(f, {}, {610, 250}, step), -13, 7);
        const PictureMapping m = zoomedMapping(f, z);
        const double s = scaleOf(m);
        const int pixelWidth = static_cast<int>(std::ceil(s));
        const Placed on = placed(f, m);
        for (int by = kArea.y; by < kArea.y + kArea.h; by += 37)
            for (int bx = kArea.x; bx < kArea.x + kArea.w; bx += 41) {
                if (bx < on.left || bx >= on.right || by < on.top || by >= on.bottom)
                    continue;
                const PolygonPoint p = m.toPicture({bx, by});
                const PolygonPoint back = m.toBoard(p);
                EXPECT_GE(bx - back.x, s >= 1 ? 0 : -1) << bx << "," << by;
                EXPECT_LE(bx - back.x, pixelWidth) << bx << "," << by;
                EXPECT_GE(by - back.y, s >= 1 ? 0 : -1) << bx << "," << by;
                EXPECT_LE(by - back.y, pixelWidth) << bx << "," << by;
            }
        for (PolygonPoint p : {PolygonPoint{0, 0}, {1234, 987}, {3999, 2999}, {2001, 1501}}) {
            const PolygonPoint again = m.toPicture(m.toBoard(p));
            const int slack = s >= 1 ? 1 : static_cast<int>(std::ceil(1 / s));
            EXPECT_LE(std::abs(again.x - p.x), slack);
            EXPECT_LE(std::abs(again.y - p.y), slack);
            if (m.numerator % m.denominator == 0) {
                EXPECT_EQ(again, p);
            }
        }
    }
}

// Points far outside the picture still map in 64 bits at the top step.
TEST(PictureZoom, FarPointsMapWithoutOverflow)
{
    const ZoomFrame f = frameFor(4000, 3000);
    const PictureMapping m = zoomedMapping(f, zoomedAround(f, {}, {500, 371}, maxZoomStep(f)));
    ASSERT_EQ(m.numerator, 8 * m.denominator);
    const PolygonPoint far = m.toBoard({100000000, -100000000});
    EXPECT_EQ(far.x, 800000000 + m.xOffset);
    EXPECT_EQ(far.y, -800000000 + m.yOffset);
    EXPECT_EQ(m.toBoard({2000000000, -2000000000}), (PolygonPoint{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(m.toPicture(far), (PolygonPoint{100000000, -100000000}));
}

}  // namespace
}  // namespace gz
