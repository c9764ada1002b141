#include "uikit/dialog_anchors.h"

#include <gtest/gtest.h>

namespace gz {
namespace {

TEST(DialogAnchors, ControlsFollowTheEdgesTheyAreAnchoredTo)
{
    const PixelRect base{10, 20, 100, 50};
    struct Case { unsigned anchors; int dx, dy; PixelRect expect; };
    const Case cases[] = {
        {kAnchorNone, 40, 30, {10, 20, 100, 50}},
        {kMoveRight, 40, 30, {50, 20, 100, 50}},
        {kMoveDown, 40, 30, {10, 50, 100, 50}},
        {kMoveRight | kMoveDown, -5, -7, {5, 13, 100, 50}},
        {kGrowWidth, 40, 30, {10, 20, 140, 50}},
        {kGrowWidth | kGrowHeight, 40, 30, {10, 20, 140, 80}},
        {kMoveDown | kGrowWidth, 40, 30, {10, 50, 140, 50}},
        {kGrowWidth | kGrowHeight, -150, -60, {10, 20, 0, 0}},   // never negative
    };
    for (const Case& c : cases)
        EXPECT_EQ(anchoredRect(base, c.anchors, c.dx, c.dy), c.expect) << c.anchors << " " << c.dx;
}

}  // namespace
}  // namespace gz
