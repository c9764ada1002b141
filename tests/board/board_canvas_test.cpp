#include "board/board_canvas.h"

#include <gtest/gtest.h>

#include "board_test_fixture.h"

namespace gz {
namespace {

TEST(BoardCanvas, ResizeKeepsOldContentAtTheOriginAndBlackensTheRest)
{
    BoardCanvas canvas;
    ASSERT_TRUE(canvas.setSize(40, 30));
    EXPECT_EQ(canvas.backBuffer().bitsPerPixel(), 32);
    canvas.backBuffer().fillRect(0, 0, 40, 30, 0x123456);
    ASSERT_TRUE(canvas.setSize(60, 20));
    const RasterImage& b = canvas.backBuffer();
    ASSERT_EQ(b.width(), 60);
    ASSERT_EQ(b.height(), 20);
    EXPECT_EQ(b.colourAt(0, 0) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(b.colourAt(39, 19) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(b.colourAt(40, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(b.colourAt(59, 19) & 0xFFFFFF, 0x000000u);
}

TEST(BoardCanvas, SizeIsCutToTheLimitAndZeroEmptiesTheBuffer)
{
    struct Case {
        int w, h, expectW, expectH;
    };
    const Case cases[] = {
        {20000, 3, 16000, 3}, {-4, 10, 0, 10}, {10, 0, 10, 0}, {1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
        BoardCanvas canvas;
        EXPECT_TRUE(canvas.setSize(c.w, c.h));
        EXPECT_EQ(canvas.width(), c.expectW);
        EXPECT_EQ(canvas.height(), c.expectH);
        EXPECT_EQ(canvas.backBuffer().isEmpty(), c.expectW == 0 || c.expectH == 0);
        if (!canvas.backBuffer().isEmpty()) {
            EXPECT_EQ(canvas.backBuffer().width(), c.expectW);
            EXPECT_EQ(canvas.backBuffer().height(), c.expectH);
        }
    }
}

TEST(BoardCanvas, InvalidateNormalisesAndCutsRectangles)
{
    struct Case {
        int x, y, w, h;
        bool kept;
        BoardRect rect;
    };
    const Case cases[] = {
        {10, 20, 5, 6, true, {10, 20, 5, 6}},
        {10, 20, -5, -6, true, {5, 14, 5, 6}},       // extends left and up
        {-10, -10, 15, 12, true, {0, 0, 5, 2}},
        {95, 45, 20, 20, true, {95, 45, 5, 5}},
        {0, 0, 0, 10, false, {}},
        {100, 0, 5, 5, false, {}},
        {2147483000, 0, 2000, 5, false, {}},          // x + w beyond int
        {-2147483000, 0, -2000, 5, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
        BoardCanvas canvas;
        canvas.setSize(100, 50);
        canvas.invalidate(c.x, c.y, c.w, c.h);
        ASSERT_EQ(canvas.invalidCount(), c.kept ? 1 : 0);
        if (c.kept) {
            EXPECT_EQ(canvas.invalidRect(0), c.rect);
        }
    }
}

TEST(BoardCanvas, ManyInvalidationsMergeIntoTheLastRectangle)
{
    BoardCanvas canvas;
    canvas.setSize(1000, 10);
    for (int i = 0; i < BoardCanvas::kMaxInvalidRects + 5; ++i)
        canvas.invalidate(i * 10, 0, 2, 2);
    ASSERT_EQ(canvas.invalidCount(), BoardCanvas::kMaxInvalidRects);
    const BoardRect last = canvas.invalidRect(BoardCanvas::kMaxInvalidRects - 1);
    EXPECT_EQ(last, (BoardRect{(BoardCanvas::kMaxInvalidRects - 1) * 10, 0,
                               5 * 10 + 2, 2}));
    EXPECT_EQ(canvas.invalidBounds(), (BoardRect{0, 0, (BoardCanvas::kMaxInvalidRects + 4) * 10 + 2, 2}));
    canvas.clearInvalid();
    EXPECT_EQ(canvas.invalidCount(), 0);
    EXPECT_TRUE(canvas.invalidBounds().isEmpty());
}

using test::NullPainter;

TEST(BoardCanvas, CallbacksReceiveTheirUserPointer)
{
    struct Seen {
        int paints = 0;
        BoardMouseEvent last;
    } seen;
    BoardCanvas canvas;
    NullPainter painter;
    canvas.paint(painter);   // no callback yet: nothing happens
    canvas.mouse({});
    canvas.setPaintCallback([](void* user, OverlayPainter&) { ++static_cast<Seen*>(user)->paints; },
                            &seen);
    canvas.setMouseCallback(
        [](void* user, const BoardMouseEvent& e) { static_cast<Seen*>(user)->last = e; }, &seen);
    canvas.paint(painter);
    canvas.mouse({MouseKind::RightDown, kMouseRightButton | kMouseShift, 12, 34, 0});
    EXPECT_EQ(seen.paints, 1);
    EXPECT_EQ(seen.last.kind, MouseKind::RightDown);
    EXPECT_EQ(seen.last.keyFlags, kMouseRightButton | kMouseShift);
    EXPECT_EQ(seen.last.x, 12);
    EXPECT_EQ(seen.last.y, 34);
}

}  // namespace
}  // namespace gz
