// Zoom and pan through the board view's mouse entry: which events zoom,
// what the editor and sort mode do at a zoom, and when the zoom goes back
// to the fit.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "board_test_fixture.h"
#include "board_view_fixture.h"

namespace gz {
namespace {

using test::BoardViewTest;
using test::NullPainter;

// The demo's game 1 is 600 x 400; on the 640 x 480 board its area is
// (142, 42, 356, 438).
constexpr BoardRect kArea{142, 42, 356, 438};
constexpr PolygonPoint kInside{300, 250};

class BoardViewZoomTest : public BoardViewTest {
protected:
    void send(MouseKind kind, int x, int y, uint32_t flags = 0, int delta = 0)
    {
        BoardMouseEvent e;
        e.kind = kind;
        e.keyFlags = flags;
        e.x = x;
        e.y = y;
        e.wheelDelta = delta;
        view->mouse(e);
    }
    void ctrlWheel(PolygonPoint at, int notches) { send(MouseKind::Wheel, at.x, at.y, kMouseControl, 120 * notches); }
    void middleDrag(PolygonPoint from, PolygonPoint to)
    {
        send(MouseKind::MiddleDown, from.x, from.y, kMouseMiddleButton);
        send(MouseKind::Move, (from.x + to.x) / 2, (from.y + to.y) / 2, kMouseMiddleButton);
        send(MouseKind::Move, to.x, to.y, kMouseMiddleButton);
        send(MouseKind::MiddleUp, to.x, to.y);
    }
    void click(PolygonPoint at)
    {
        view->mouse(MouseKind::Move, at.x, at.y);
        view->mouse(MouseKind::LeftDown, at.x, at.y);
        view->mouse(MouseKind::LeftUp, at.x, at.y);
    }
    void paint()
    {
        NullPainter painter;
        view->paintOverlay(painter);
    }
    // Draw mode on game 1, painted once, as the game master finds it.
    void drawMode()
    {
        mode(1);
        ASSERT_EQ(view->game().gameNumber, 1);
        ASSERT_EQ(view->game().picture.width(), 600);
        paint();
    }
    const PictureMapping& mapping() { return view->renderer().pictureMapping(); }
    PictureMapping fit()
    {
        return computePictureMapping(view->renderer().layout(), 640, 480, view->game().picture.width(),
                                     view->game().picture.height());
    }
};

double exactPictureX(const PictureMapping& m, double bx)
{
    return (bx - m.xOffset) * m.denominator / m.numerator;
}

TEST_F(BoardViewZoomTest, CtrlWheelZoomsAroundTheCursorInDrawAndSortMode)
{
    drawMode();
    ASSERT_EQ(mapping(), fit());
    const double under = exactPictureX(mapping(), kInside.x);
    ctrlWheel(kInside, 2);
    EXPECT_EQ(view->pictureZoom().step, 2);
    // The mapping is taken at once, before any repaint: the next click
    // already goes through it.
    EXPECT_NE(mapping(), fit());
    EXPECT_NEAR(exactPictureX(mapping(), kInside.x), under, 1.0 / 1.25);
    EXPECT_EQ(mapping(), view->renderer().mappingFor(view->game(), ViewMode::Draw));

    // Sort mode keeps it and zooms on.
    mode(2);
    paint();
    EXPECT_EQ(view->pictureZoom().step, 2);
    EXPECT_EQ(mapping(), view->renderer().mappingFor(view->game(), ViewMode::Sort));
    ctrlWheel(kInside, 1);
    EXPECT_EQ(view->pictureZoom().step, 3);
    ctrlWheel(kInside, -3);
    EXPECT_TRUE(view->pictureZoom().isFit());
    EXPECT_EQ(mapping(), fit());
}

// Without Ctrl, away from the picture area, outside draw and sort mode and
// in full screen, the wheel and the middle button change nothing.
TEST_F(BoardViewZoomTest, WheelAndMiddleButtonAreIgnoredElsewhere)
{
    struct Case {
        const char* what;
        std::function<void()> setUp;
        PolygonPoint at;
        uint32_t flags;
    };
    const Case cases[] = {
        {"draw mode without Ctrl", [this] { mode(1); }, kInside, 0},
        {"over the left star strip", [this] { mode(1); }, {60, 300}, kMouseControl},
        {"over the banner", [this] { mode(2); }, {320, 20}, kMouseControl},
        {"play mode", [this] { mode(0); }, kInside, kMouseControl},
        {"Polygon 3", [this] { mode(1); mode(5); }, kInside, kMouseControl},
        {"full screen", [this] {
             mode(1);
             view->setZoomState(FullScreenState::FromNormal, {0, 0, 640, 480});
         }, kInside, kMouseControl},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.reset();
        make();
        c.setUp();
        view->tick();
        paint();
        RasterImage before;
        before.copyFrom(view->canvas().backBuffer());
        const PictureMapping mappingBefore = mapping();
        send(MouseKind::Wheel, c.at.x, c.at.y, c.flags, 240);
        send(MouseKind::Wheel, c.at.x, c.at.y, c.flags | kMouseMiddleButton, 120);
        ctrlWheel({c.at.x, c.at.y}, 0);
        middleDrag(c.at, {c.at.x + 40, c.at.y + 30});
        view->tick();
        paint();
        EXPECT_TRUE(view->pictureZoom().isFit());
        EXPECT_EQ(mapping(), mappingBefore);
        const auto d = test::compareColours(view->canvas().backBuffer(), before);
        EXPECT_TRUE(d.same) << d.where;
    }
}

TEST_F(BoardViewZoomTest, MiddleDragPansUntilTheButtonIsUp)
{
    drawMode();
    ctrlWheel(kInside, 5);
    const PictureMapping start = mapping();
    send(MouseKind::MiddleDown, 300, 250, kMouseMiddleButton);
    send(MouseKind::Move, 340, 280, kMouseMiddleButton);
    EXPECT_EQ(mapping().xOffset, start.xOffset + 40);
    EXPECT_EQ(mapping().yOffset, start.yOffset + 30);
    send(MouseKind::Move, 290, 255, kMouseMiddleButton);
    EXPECT_EQ(mapping().xOffset, start.xOffset - 10);
    EXPECT_EQ(mapping().yOffset, start.yOffset + 5);
    send(MouseKind::MiddleUp, 290, 255);
    const PictureMapping released = mapping();
    send(MouseKind::Move, 350, 300);
    EXPECT_EQ(mapping(), released);

    // A release that went elsewhere: the first move without the button ends
    // the drag.
    send(MouseKind::MiddleDown, 300, 250, kMouseMiddleButton);
    send(MouseKind::Move, 320, 250, kMouseMiddleButton);
    const PictureMapping dragged = mapping();
    send(MouseKind::Move, 360, 250);
    send(MouseKind::Move, 380, 250, kMouseMiddleButton);
    EXPECT_EQ(mapping(), dragged);
    // Panning at the fit moves nothing.
    ctrlWheel(kInside, -20);
    middleDrag(kInside, {kInside.x + 50, kInside.y + 50});
    EXPECT_EQ(mapping(), fit());
}

// At 8 board pixels per picture pixel every click lands on the picture
// pixel under it: corners 80 and 40 board pixels apart are 10 and 5
// picture pixels apart, and a drag by 16 board pixels moves a point by 2.
TEST_F(BoardViewZoomTest, TheEditorPlacesAndMovesPointsOnPicturePixels)
{
    drawMode();
    view->game().clearPolygons();
    paint();
    const double underX = exactPictureX(fit(), kInside.x);
    ctrlWheel(kInside, 30);
    ASSERT_EQ(mapping().numerator, 8 * mapping().denominator);
    const PolygonPoint p = mapping().toPicture(kInside);
    EXPECT_LT(std::abs(p.x + 0.5 - underX), 1.0);

    const PolygonPoint corners[] = {kInside, {kInside.x + 80, kInside.y}, {kInside.x + 80, kInside.y + 40}};
    for (PolygonPoint c : corners)
        click(c);
    view->keyDown(EditorKey::Escape);
    ASSERT_EQ(view->game().polygonCount, 1);
    const CoverPolygon& poly = view->game().polygons[0];
    ASSERT_EQ(poly.pointCount, 3);
    EXPECT_EQ(poly.points[0], p);
    EXPECT_EQ(poly.points[1], (PolygonPoint{p.x + 10, p.y}));
    EXPECT_EQ(poly.points[2], (PolygonPoint{p.x + 10, p.y + 5}));

    view->execute(cmd::kToolMovePoints);
    paint();
    const PolygonPoint from = mapping().toBoard(poly.points[2]);
    view->mouse(MouseKind::Move, from.x, from.y);
    view->mouse(MouseKind::LeftDown, from.x, from.y);
    view->mouse(MouseKind::Move, from.x + 8, from.y - 4);
    view->mouse(MouseKind::Move, from.x + 16, from.y - 8);
    view->mouse(MouseKind::LeftUp, from.x + 16, from.y - 8);
    EXPECT_EQ(poly.points[2], (PolygonPoint{p.x + 12, p.y + 4}));
    // A drop 5 board pixels off is less than a picture pixel here, but it
    // is still "no move": the point stays.
    paint();
    const PolygonPoint again = mapping().toBoard(poly.points[1]);
    view->mouse(MouseKind::Move, again.x, again.y);
    view->mouse(MouseKind::LeftDown, again.x, again.y);
    view->mouse(MouseKind::Move, again.x + 5, again.y);
    view->mouse(MouseKind::LeftUp, again.x + 5, again.y);
    EXPECT_EQ(poly.points[1], (PolygonPoint{p.x + 10, p.y}));
}

// Zoom and pan while a polygon is drawn: the drawing goes on, its fixed
// corners stay where they are in the picture, and the next click lands on
// the picture pixel under the cursor at the new zoom.
TEST_F(BoardViewZoomTest, ZoomingAndPanningDuringADrawingKeepTheDrawing)
{
    drawMode();
    view->game().clearPolygons();
    paint();
    ctrlWheel(kInside, 4);
    click(kInside);
    click({kInside.x + 60, kInside.y});
    ASSERT_EQ(view->editor().captureState(), CaptureState::Drawing);
    const CoverPolygon& poly = view->game().polygons[0];
    const PolygonPoint fixed[2] = {poly.points[0], poly.points[1]};
    const int count = poly.pointCount;

    middleDrag({kInside.x + 60, kInside.y}, {kInside.x + 20, kInside.y - 30});
    // The wheel's own position is the cursor's (the last move may be older).
    ctrlWheel({kInside.x + 24, kInside.y - 26}, 3);
    EXPECT_EQ(view->editor().captureState(), CaptureState::Drawing);
    EXPECT_EQ(poly.pointCount, count);
    EXPECT_EQ(poly.points[0], fixed[0]);
    EXPECT_EQ(poly.points[1], fixed[1]);
    // The rubber band follows the cursor's picture pixel.
    EXPECT_EQ(poly.points[count - 1], mapping().toPicture({kInside.x + 24, kInside.y - 26}));

    const PolygonPoint third{kInside.x + 20, kInside.y + 90};
    const PolygonPoint thirdPicture = mapping().toPicture(third);
    click(third);
    view->keyDown(EditorKey::Escape);
    ASSERT_EQ(poly.pointCount, 3);
    EXPECT_EQ(poly.points[2], thirdPicture);
}

// Two slivers 3 picture pixels wide share a board pixel at the fit; zoomed
// in, a sort click on each finds that one.
TEST_F(BoardViewZoomTest, SortClicksAtAZoomHitThePolygonUnderTheCursor)
{
    mode(2);
    GameContent& game = view->game();
    game.clearPolygons();
    for (int left : {300, 303}) {
        CoverPolygon* p = game.appendPolygon();
        for (PolygonPoint q : {PolygonPoint{left, 100}, {left + 3, 100}, {left + 3, 300}, {left, 300}})
            p->addPoint(q);
        p->setName(left == 300 ? "links" : "rechts");
    }
    paint();
    ctrlWheel(fit().toBoard({303, 200}), 30);
    paint();
    for (const char* name : {"rechts", "links", "rechts"}) {
        const int left = std::string(name) == "links" ? 300 : 303;
        const PolygonPoint a = mapping().toBoard({left, 200});
        const PolygonPoint b = mapping().toBoard({left + 3, 200});
        click({(a.x + b.x) / 2, a.y});
        EXPECT_STREQ(game.polygons[0].name, name);
    }
}

// When the zoom goes back to the fit, and when it stays.
TEST_F(BoardViewZoomTest, TheZoomGoesBackToTheFitOnTheseEvents)
{
    struct Case {
        const char* what;
        std::function<void()> event;
        bool fit;
    };
    const Case cases[] = {
        {"to sort mode and back", [this] { mode(2); mode(1); }, false},
        {"saving", [this] {
             view->game().modified = true;
             view->execute(cmd::kSave);
         }, false},
        {"a new window size", [this] { view->resize(900, 600); }, false},
        {"another star size", [this] { view->execute(cmd::kStarsSmall); }, false},
        {"play mode", [this] { mode(0); }, true},
        {"Polygon 1", [this] { mode(3); }, true},
        {"full screen", [this] {
             view->setZoomState(FullScreenState::FromMaximised, {0, 0, 640, 480});
         }, true},
        {"another game number", [this] {
             platform.values = {4};
             view->execute(cmd::kNextGameNumber);
             ASSERT_EQ(view->game().gameNumber, 4);
         }, true},
        {"a new game", [this] {
             NewGameRequest request;
             request.pictureFile = library + "/Game002/Pic.png";
             request.question = "Neu?";
             request.answer = "Ja";
             request.number = 1;
             platform.newPictureAnswer = request;
             view->execute(cmd::kNew);
             ASSERT_EQ(view->game().gameNumber, 14);
         }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.reset();
        make();
        drawMode();
        ctrlWheel(kInside, 3);
        ASSERT_EQ(view->pictureZoom().step, 3);
        c.event();
        EXPECT_EQ(view->pictureZoom().isFit(), c.fit);
        view->tick();
        paint();
        const ViewMode mode = view->engine().viewMode();
        const PictureMapping shown = view->renderer().mappingFor(view->game(), mode);
        const PictureMapping fitted = computePictureMapping(
            view->renderer().layout(), view->renderer().width(), view->renderer().height(),
            view->game().picture.width(), view->game().picture.height());
        EXPECT_EQ(shown == fitted, c.fit || (mode != ViewMode::Draw && mode != ViewMode::Sort));
        view->game().modified = false;
    }
}

// Leaving a zoomed draw mode for play shows the board a fresh one shows.
TEST_F(BoardViewZoomTest, PlayAfterAZoomLooksAsEver)
{
    drawMode();
    ctrlWheel(kInside, 6);
    middleDrag(kInside, {kInside.x - 70, kInside.y + 20});
    mode(0);
    view->tick();
    RasterImage expected;
    test::renderFromScratch(view->show(), view->game(), ViewMode::Play, 640, 480, kStarSizeLarge, {},
                            expected);
    const auto d = test::compareColours(view->canvas().backBuffer(), expected);
    EXPECT_TRUE(d.same) << d.where;
}

}  // namespace
}  // namespace gz
