// Wheel notches and middle-button drags turned into zoom steps and pans.
#include "board/zoom_control.h"

#include <gtest/gtest.h>

#include <vector>

namespace gz {
namespace {

// A 4000 x 3000 picture on a 1000 x 700 board with large stars.
ZoomFrame frame() { return zoomFrameFor(boardLayoutFor(kStarSizeLarge), 1000, 700, 4000, 3000); }

constexpr PolygonPoint kCentre{500, 371};

TEST(ZoomControl, WheelUnitsAddUpToNotches)
{
    struct Case {
        const char* what;
        std::vector<int> deltas;
        int step;
        std::vector<bool> changed;
    };
    const Case cases[] = {
        {"one notch in", {120}, 1, {true}},
        {"two notches at once", {240}, 2, {true}},
        {"fine units reach a notch", {40, 40, 40}, 1, {false, false, true}},
        {"fine units short of a notch", {60, 59}, 0, {false, false}},
        {"fine units carry over", {100, 100, 100, 100}, 3, {false, true, true, true}},
        {"in and out", {240, -120}, 1, {true, true}},
        {"a turn back starts afresh", {120, 100, -20}, 1, {true, false, false}},
        {"out at the fit owes nothing", {-120, -120, -120, 120}, 1, {false, false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZoomControl control;
        for (size_t i = 0; i < c.deltas.size(); ++i)
            EXPECT_EQ(control.wheel(frame(), kCentre, c.deltas[i]), c.changed[i]) << i;
        EXPECT_EQ(control.zoom().step, c.step);
    }
}

TEST(ZoomControl, TheTopStepOwesNoUnitsEither)
{
    ZoomControl control;
    const int32_t top = maxZoomStep(frame());
    control.wheel(frame(), kCentre, 120 * (top + 10));
    EXPECT_EQ(control.zoom().step, top);
    EXPECT_FALSE(control.wheel(frame(), kCentre, 120));
    EXPECT_TRUE(control.wheel(frame(), kCentre, -120));
    EXPECT_EQ(control.zoom().step, top - 1);
}

// A drag is measured from where it began: many small moves and a way back
// leave the picture where it was, to the board pixel.
TEST(ZoomControl, ADragFollowsTheMouseWithoutDrift)
{
    ZoomControl control;
    control.wheel(frame(), kCentre, 120 * 5);
    const PictureMapping start = zoomedMapping(frame(), control.zoom());
    EXPECT_FALSE(control.panTo(frame(), {600, 400}));   // no drag yet
    control.beginPan(frame(), {600, 400});
    ASSERT_TRUE(control.panning());
    for (int i = 1; i <= 50; ++i)
        control.panTo(frame(), {600 + i, 400 - i / 3});
    PictureMapping m = zoomedMapping(frame(), control.zoom());
    EXPECT_EQ(m.xOffset, start.xOffset + 50);
    EXPECT_EQ(m.yOffset, start.yOffset - 16);
    EXPECT_TRUE(control.panTo(frame(), {600, 400}));
    EXPECT_EQ(zoomedMapping(frame(), control.zoom()), start);
    control.endPan();
    EXPECT_FALSE(control.panTo(frame(), {700, 500}));
    EXPECT_EQ(zoomedMapping(frame(), control.zoom()), start);
}

// A wheel step in the middle of a drag: the drag goes on from the new zoom
// and the cursor's position, so the picture does not jump.
TEST(ZoomControl, AWheelStepDuringADragRestartsIt)
{
    ZoomControl control;
    control.wheel(frame(), kCentre, 120 * 4);
    control.beginPan(frame(), {400, 300});
    control.panTo(frame(), {420, 310});
    control.wheel(frame(), {420, 310}, 120);
    const PictureMapping afterWheel = zoomedMapping(frame(), control.zoom());
    control.panTo(frame(), {425, 310});
    EXPECT_EQ(zoomedMapping(frame(), control.zoom()).xOffset, afterWheel.xOffset + 5);
    EXPECT_EQ(zoomedMapping(frame(), control.zoom()).yOffset, afterWheel.yOffset);
}

TEST(ZoomControl, ResetGoesBackToTheFitAndForgetsEverything)
{
    ZoomControl control;
    control.wheel(frame(), kCentre, 120 * 3 + 100);
    control.beginPan(frame(), kCentre);
    control.reset();
    EXPECT_TRUE(control.zoom().isFit());
    EXPECT_FALSE(control.panning());
    EXPECT_FALSE(control.wheel(frame(), kCentre, 20));   // the 100 units are gone
}

}  // namespace
}  // namespace gz
