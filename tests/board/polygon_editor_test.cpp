#include "board/polygon_editor.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace gz {
void PrintTo(const PolygonPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
void PrintTo(const BoardRect& r, std::ostream* os)
{
    *os << "[" << r.x << "," << r.y << " " << r.w << "x" << r.h << "]";
}
}  // namespace gz

namespace {

using gz::BoardRect;
using gz::CaptureState;
using gz::CursorKind;
using gz::DrawTool;
using gz::MouseKind;
using gz::PolygonPoint;
using gz::ViewMode;
using Outline = std::vector<PolygonPoint>;
using Outlines = std::vector<Outline>;

// Records what the editor asks of the window system. Its repaint rebuilds the
// point list as the draw-mode overlay does, so list indexes behave as on
// screen.
class RecordingHost : public gz::EditorHost {
public:
    gz::GameContent* game = nullptr;
    const gz::PictureMapping* mapping = nullptr;
    gz::FlatPointList* list = nullptr;

    bool captured = false;
    int captures = 0;
    int releases = 0;
    int doubleCaptures = 0;
    int strayReleases = 0;
    CursorKind cursor = CursorKind::Arrow;
    bool ctrl = false;
    int beeps = 0;
    int repaints = 0;
    int sortChanges = 0;
    std::vector<BoardRect> invalidated;

    void captureMouse() override
    {
        doubleCaptures += captured ? 1 : 0;
        captured = true;
        ++captures;
    }
    void releaseMouse() override
    {
        strayReleases += captured ? 0 : 1;
        captured = false;
        ++releases;
    }
    void setCursor(CursorKind kind) override { cursor = kind; }
    bool isControlDown() override { return ctrl; }
    void warningBeep() override { ++beeps; }
    void invalidate(const BoardRect& area) override { invalidated.push_back(area); }
    void repaintNow() override
    {
        ++repaints;
        gz::buildFlatPointList(*game, *mapping, *list);
    }
    void sortOrderChanged() override { ++sortChanges; }
};

// The view's parts the editor works on. Identity mapping unless a test sets
// another one: board pixels are picture pixels.
struct Board {
    gz::GameContent game;
    gz::PictureMapping mapping;
    gz::FlatPointList list;
    RecordingHost host;
    gz::PolygonEditor editor{game, mapping, list, host};
    ViewMode mode = ViewMode::Draw;

    explicit Board(const Outlines& polygons = {}, gz::PictureMapping m = {})
    {
        mapping = m;
        host.game = &game;
        host.mapping = &mapping;
        host.list = &list;
        for (const Outline& o : polygons) {
            gz::CoverPolygon* p = game.appendPolygon();
            for (PolygonPoint q : o)
                p->addPoint(q);
        }
        paint();
    }
    void paint() { gz::buildFlatPointList(game, mapping, list); }  // the overlay pass
    Outlines polygons() const
    {
        Outlines out;
        for (int i = 0; i < game.polygonCount; ++i)
            out.emplace_back(game.polygons[i].points, game.polygons[i].points + game.polygons[i].pointCount);
        return out;
    }
};

// ------------------------------------------------------------ event scripts

enum class Act { Move, Down, Up, Double, Right, Escape, CtrlKey, CtrlUp, Tool, Mode };

struct Ev {
    Act act;
    int x = 0;
    int y = 0;
    int arg = 0;
};
using Script = std::vector<Ev>;

Script operator+(Script a, const Script& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Script click(int x, int y) { return {{Act::Move, x, y}, {Act::Down, x, y}, {Act::Up, x, y}}; }
// What the window system sends for a double click: press, release, the
// double-click message, release.
Script doubleClick(int x, int y)
{
    return {{Act::Move, x, y}, {Act::Down, x, y}, {Act::Up, x, y}, {Act::Double, x, y}, {Act::Up, x, y}};
}
Script drag(int x0, int y0, int x1, int y1)
{
    return {{Act::Move, x0, y0}, {Act::Down, x0, y0}, {Act::Move, (x0 + x1) / 2, (y0 + y1) / 2},
            {Act::Move, x1, y1}, {Act::Up, x1, y1}};
}
Script moveTo(int x, int y) { return {{Act::Move, x, y}}; }
Script press(int x, int y) { return {{Act::Move, x, y}, {Act::Down, x, y}}; }
Script release(int x, int y) { return {{Act::Up, x, y}}; }
Script rightClick(int x, int y) { return {{Act::Right, x, y}}; }
Script escape() { return {{Act::Escape}}; }
Script ctrlDown() { return {{Act::CtrlKey}}; }
Script ctrlUp() { return {{Act::CtrlUp}}; }
Script tool(DrawTool t) { return {{Act::Tool, 0, 0, static_cast<int>(t)}}; }
Script mode(ViewMode m) { return {{Act::Mode, 0, 0, static_cast<int>(m)}}; }

// Plays a script; after every event the window's capture must match the
// editor's capture state.
void play(Board& b, const Script& script)
{
    for (std::size_t i = 0; i < script.size(); ++i) {
        const Ev& e = script[i];
        switch (e.act) {
        case Act::Move: b.editor.onMouse(b.mode, MouseKind::Move, e.x, e.y); break;
        case Act::Down: b.editor.onMouse(b.mode, MouseKind::LeftDown, e.x, e.y); break;
        case Act::Up: b.editor.onMouse(b.mode, MouseKind::LeftUp, e.x, e.y); break;
        case Act::Double: b.editor.onMouse(b.mode, MouseKind::LeftDoubleClick, e.x, e.y); break;
        case Act::Right: b.editor.onMouse(b.mode, MouseKind::RightDown, e.x, e.y); break;
        case Act::Escape: b.editor.onKeyDown(gz::EditorKey::Escape); break;
        case Act::CtrlKey:
            b.host.ctrl = true;
            b.editor.onKeyDown(gz::EditorKey::Control);
            break;
        case Act::CtrlUp: b.host.ctrl = false; break;
        case Act::Tool: b.editor.setTool(static_cast<DrawTool>(e.arg)); break;
        case Act::Mode: b.mode = static_cast<ViewMode>(e.arg); break;
        }
        ASSERT_EQ(b.host.captured, b.editor.captureState() != CaptureState::Idle) << "after event " << i;
    }
}

// ------------------------------------------------------------ fixtures

const Outline kSquare{{100, 100}, {200, 100}, {200, 200}, {100, 200}};
const Outline kTriangle{{300, 100}, {400, 100}, {350, 200}};
const Outline kPentagon{{100, 100}, {150, 100}, {200, 100}, {200, 200}, {100, 200}};  // (150,100) on an edge

// A zigzag of n points far from the fixtures, 15 pixels apart.
Outline zigzag(int n, int x0 = 20, int y0 = 400)
{
    Outline o;
    for (int i = 0; i < n; ++i)
        o.push_back({x0 + 15 * i, y0 + (i % 2 ? 0 : 40)});
    return o;
}
Script clickAll(const Outline& o)
{
    Script s;
    for (PolygonPoint p : o)
        s = s + click(p.x, p.y);
    return s;
}
// 32 small triangles in a row at the top left.
Outlines fullTable()
{
    Outlines t;
    for (int i = 0; i < gz::kMaxPolygons; ++i)
        t.push_back({{10 * i, 0}, {10 * i + 5, 0}, {10 * i, 5}});
    return t;
}

struct EditCase {
    const char* what;
    Outlines start;
    DrawTool tool;
    Script script;
    Outlines end;
    bool modified;
    int beeps;
};

class EditSequenceTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditSequenceTest, Script)
{
    const EditCase& c = GetParam();
    auto b = std::make_unique<Board>(c.start);
    b->editor.setTool(c.tool);
    play(*b, c.script);
    EXPECT_EQ(b->polygons(), c.end);
    EXPECT_EQ(b->game.modified, c.modified);
    EXPECT_EQ(b->host.beeps, c.beeps);
    // Every script ends idle with the mouse free, every capture released once.
    EXPECT_EQ(b->editor.captureState(), CaptureState::Idle);
    EXPECT_FALSE(b->host.captured);
    EXPECT_EQ(b->host.captures, b->host.releases);
    EXPECT_EQ(b->host.doubleCaptures, 0);
    EXPECT_EQ(b->host.strayReleases, 0);
    EXPECT_TRUE(b->game.colourIndexesArePermutation());
}

std::string caseName(const ::testing::TestParamInfo<EditCase>& info)
{
    std::string name;
    for (const char* p = info.param.what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

const DrawTool kDraw = DrawTool::DrawPolygon;
const DrawTool kMove = DrawTool::MovePoints;
const DrawTool kDelete = DrawTool::Delete;

INSTANTIATE_TEST_SUITE_P(
    Create, EditSequenceTest,
    ::testing::Values(
        EditCase{"three clicks and Escape give a triangle", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + escape(),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"two clicks and Escape leave nothing", {}, kDraw,
                 click(10, 10) + click(60, 10) + escape(), {}, true, 0},
        EditCase{"two clicks and a double click at the third corner", {}, kDraw,
                 click(10, 10) + click(60, 10) + doubleClick(30, 50),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"right button finishes", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + moveTo(90, 90) + rightClick(90, 90),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"click within 6 of the last fixed point finishes", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + click(36, 44),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"click on the first point finishes", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + click(14, 6),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"click 7 from the last point adds one", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + click(37, 50) + escape(),
                 {{{10, 10}, {60, 10}, {30, 50}, {37, 50}}}, true, 0},
        EditCase{"a second click on the start point leaves nothing", {}, kDraw,
                 click(10, 10) + click(12, 13), {}, false, 0},
        EditCase{"new polygons are appended", {kSquare}, kDraw,
                 click(300, 300) + click(350, 300) + click(320, 350) + escape(),
                 {kSquare, {{300, 300}, {350, 300}, {320, 350}}}, true, 0},
        EditCase{"points outside the picture are kept as they are", {}, kDraw,
                 click(-40, -40) + click(60, -10) + click(30, 5000) + escape(),
                 {{{-40, -40}, {60, -10}, {30, 5000}}}, true, 0}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Snap, EditSequenceTest,
    ::testing::Values(
        EditCase{"a point drawn within 6 of another polygon's point takes its place", {kSquare}, kDraw,
                 click(300, 300) + click(205, 95) + click(300, 150) + escape(),
                 {kSquare, {{300, 300}, {200, 100}, {300, 150}}}, true, 0},
        EditCase{"a click back on the snapped point finishes", {kSquare}, kDraw,
                 click(300, 300) + click(205, 95) + click(196, 104), {kSquare}, true, 0},
        EditCase{"of two snap targets the lowest list index wins", {kSquare, {{201, 101}, {260, 101}, {230, 150}}},
                 kDraw, click(300, 300) + click(203, 103) + click(300, 150) + escape(),
                 // The walk starts at the end of the list (the square, polygon 0)
                 // and meets polygon 1's (201, 101) last.
                 {kSquare, {{201, 101}, {260, 101}, {230, 150}}, {{300, 300}, {201, 101}, {300, 150}}}, true,
                 0},
        EditCase{"Ctrl+click on a point starts a polygon there", {kSquare}, kDraw,
                 ctrlDown() + press(101, 99) + release(101, 99) + ctrlUp() + click(50, 50) + click(50, 150) +
                     escape(),
                 {kSquare, {{100, 100}, {50, 50}, {50, 150}}}, true, 0},
        EditCase{"Ctrl+click on a shared start closes the new polygon", {kSquare}, kDraw,
                 ctrlDown() + press(100, 100) + release(100, 100) + ctrlUp() + click(50, 50) + click(50, 150) +
                     click(101, 101),
                 {kSquare, {{100, 100}, {50, 50}, {50, 150}}}, true, 0}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Insert, EditSequenceTest,
    ::testing::Values(
        // The edge from point 0 to 1: point 0 is rotated to the end, the new
        // point follows it, the outline closes back to the old point 1.
        EditCase{"click on an edge inserts a point there", {kSquare}, kDraw,
                 click(150, 101) + click(150, 80) + escape(),
                 {{{200, 100}, {200, 200}, {100, 200}, {100, 100}, {150, 80}}}, true, 0},
        EditCase{"inserting two points into one edge", {kSquare}, kDraw,
                 click(150, 101) + click(130, 80) + click(170, 80) + escape(),
                 {{{200, 100}, {200, 200}, {100, 200}, {100, 100}, {130, 80}, {170, 80}}}, true, 0},
        EditCase{"the closing edge inserts between the last and the first point", {kSquare}, kDraw,
                 click(101, 150) + click(80, 150) + escape(),
                 {{{100, 100}, {200, 100}, {200, 200}, {100, 200}, {80, 150}}}, true, 0},
        EditCase{"an edge click and Escape only rotate the points", {kSquare}, kDraw,
                 click(200, 150) + escape(), {{{200, 200}, {100, 200}, {100, 100}, {200, 100}}}, false, 0},
        EditCase{"clicking a point inserts after it", {kSquare}, kDraw,
                 click(200, 200) + click(220, 220) + escape(),
                 {{{100, 200}, {100, 100}, {200, 100}, {200, 200}, {220, 220}}}, true, 0},
        // The overlay draws polygon 0 last, on top; its edges are tried first.
        EditCase{"the edge drawn on top wins", {kSquare, {{150, 100}, {250, 100}, {250, 50}}}, kDraw,
                 click(170, 100) + click(170, 130) + escape(),
                 {{{200, 100}, {200, 200}, {100, 200}, {100, 100}, {170, 130}}, {{150, 100}, {250, 100}, {250, 50}}},
                 true, 0}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Move, EditSequenceTest,
    ::testing::Values(
        EditCase{"dragging a point by 10 keeps the new place", {kSquare}, kMove, drag(100, 100, 110, 90),
                 {{{110, 90}, {200, 100}, {200, 200}, {100, 200}}}, true, 0},
        EditCase{"dragging a point by 5 puts it back", {kSquare}, kMove, drag(100, 100, 105, 95),
                 {kSquare}, false, 0},
        // The point follows the cursor itself, not the offset it was grabbed at.
        EditCase{"a drag starting 3 off the point moves it to the cursor", {kSquare}, kMove,
                 drag(103, 97, 153, 147), {{{153, 147}, {200, 100}, {200, 200}, {100, 200}}}, true, 0},
        EditCase{"a drop within 6 of a neighbour makes them equal", {kSquare}, kMove,
                 drag(100, 100, 196, 104), {{{200, 100}, {200, 100}, {200, 200}, {100, 200}}}, true, 0},
        EditCase{"a drop onto another polygon's point", {kSquare, kTriangle}, kMove,
                 drag(300, 100, 204, 98), {kSquare, {{200, 100}, {400, 100}, {350, 200}}}, true, 0},
        EditCase{"right button while dragging restores the point", {kSquare}, kMove,
                 press(100, 100) + moveTo(150, 150) + rightClick(150, 150) + release(150, 150), {kSquare},
                 false, 0},
        EditCase{"Escape while dragging restores the point", {kSquare}, kMove,
                 press(100, 100) + moveTo(150, 150) + escape() + release(150, 150), {kSquare}, false, 0},
        EditCase{"a press beside every point only selects", {kSquare}, kMove, click(150, 100), {kSquare},
                 false, 0}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Delete, EditSequenceTest,
    ::testing::Values(
        EditCase{"deleting a point of a square", {kSquare}, kDelete, click(200, 200),
                 {{{100, 100}, {200, 100}, {100, 200}}}, true, 0},
        EditCase{"deleting a point of a triangle removes it", {kSquare, kTriangle}, kDelete,
                 click(350, 200), {kSquare}, true, 0},
        EditCase{"a click within 3 of an edge removes the polygon", {kTriangle, kSquare}, kDelete,
                 click(150, 203), {kTriangle}, true, 0},
        EditCase{"a click 4 off every edge changes nothing", {kSquare}, kDelete, click(150, 204),
                 {kSquare}, false, 0},
        EditCase{"a click inside away from the outline changes nothing", {kSquare}, kDelete,
                 click(150, 150), {kSquare}, false, 0},
        EditCase{"a double click removes the point, then the polygon under it", {kPentagon}, kDelete,
                 doubleClick(150, 100), {}, true, 0},
        EditCase{"a double click on a corner removes only the point", {kSquare}, kDelete,
                 doubleClick(200, 200), {{{100, 100}, {200, 100}, {100, 200}}}, true, 0}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Limits, EditSequenceTest,
    ::testing::Values(
        EditCase{"a 33rd polygon beeps", fullTable(), kDraw, click(600, 600) + click(650, 600),
                 fullTable(), false, 2},
        EditCase{"Ctrl+click with 32 polygons beeps", fullTable(), kDraw,
                 ctrlDown() + click(600, 600) + ctrlUp(), fullTable(), false, 1},
        EditCase{"an edge click on a 32-point polygon beeps", {zigzag(32)}, kDraw,
                 click(27, 420) + escape(), {zigzag(32)}, false, 1},
        // The click that fixes the 32nd point keeps it and ends the drawing.
        EditCase{"the 32nd drawn point ends the polygon", {}, kDraw, clickAll(zigzag(32)) + escape(),
                 {zigzag(32)}, true, 1},
        EditCase{"after a full polygon the next click starts another", {}, kDraw,
                 clickAll(zigzag(32)) + click(100, 600) + click(150, 600) + click(120, 650) + escape(),
                 {zigzag(32), {{100, 600}, {150, 600}, {120, 650}}}, true, 1},
        EditCase{"a 31-point polygon takes one inserted point", {zigzag(31)}, kDraw,
                 click(27, 420) + click(27, 500),
                 // Insert after point 0: points 1..30, 0, then the new one.
                 {[] {
                     Outline o = zigzag(31);
                     o.push_back(o.front());
                     o.erase(o.begin());
                     o.push_back({27, 500});
                     return o;
                 }()},
                 true, 1}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Modes, EditSequenceTest,
    ::testing::Values(
        EditCase{"switching to sort mode while drawing drops the rubber band", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + moveTo(80, 80) + mode(ViewMode::Sort) +
                     moveTo(81, 81),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"switching to play mode while drawing two points removes them", {}, kDraw,
                 click(10, 10) + click(60, 10) + mode(ViewMode::Play) + moveTo(81, 81), {}, true, 0},
        EditCase{"switching to a preview mode while dragging restores the point", {kSquare}, kMove,
                 press(100, 100) + moveTo(150, 150) + mode(static_cast<ViewMode>(5)) + release(150, 150),
                 {kSquare}, false, 0},
        EditCase{"the move tool chosen while drawing finishes the polygon", {}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + tool(kMove) + click(90, 90),
                 {{{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"the delete tool chosen while drawing finishes the polygon", {kSquare}, kDraw,
                 click(10, 10) + click(60, 10) + click(30, 50) + tool(kDelete) + click(100, 100),
                 {kSquare, {{10, 10}, {60, 10}, {30, 50}}}, true, 0},
        EditCase{"the draw tool chosen while dragging still drops", {kSquare}, kMove,
                 press(100, 100) + moveTo(140, 140) + tool(kDraw) + release(140, 140),
                 {{{140, 140}, {200, 100}, {200, 200}, {100, 200}}}, true, 0},
        EditCase{"sort clicks do not edit", {kSquare}, kDraw,
                 mode(ViewMode::Sort) + click(10, 10) + doubleClick(150, 150) + mode(ViewMode::Draw),
                 {kSquare}, true, 0}),
    caseName);

// ------------------------------------------------------------ details

TEST(PolygonEditor, DrawingTracksStateSelectionAndCapture)
{
    auto b = std::make_unique<Board>(Outlines{kSquare});
    play(*b, click(300, 300));
    EXPECT_EQ(b->editor.captureState(), CaptureState::Drawing);
    EXPECT_EQ(b->editor.selectedPolygon(), 1);
    EXPECT_FALSE(b->game.modified);  // starting a polygon alone changes nothing yet
    EXPECT_EQ(b->polygons()[1], (Outline{{300, 300}, {300, 300}}));
    play(*b, moveTo(340, 310));
    EXPECT_EQ(b->polygons()[1], (Outline{{300, 300}, {340, 310}}));  // the rubber band follows
    EXPECT_EQ(b->host.cursor, CursorKind::Cross);
    play(*b, click(340, 310));
    EXPECT_TRUE(b->game.modified);
    EXPECT_EQ(b->polygons()[1], (Outline{{300, 300}, {340, 310}, {340, 310}}));
    EXPECT_EQ(b->host.captures, 1);  // held across the clicks
    play(*b, escape());
    EXPECT_EQ(b->game.polygonCount, 1);
    EXPECT_EQ(b->editor.selectedPolygon(), -1);
    EXPECT_EQ(b->host.releases, 1);
}

TEST(PolygonEditor, EscapeWhenIdleIsLeftToTheWindow)
{
    auto b = std::make_unique<Board>(Outlines{kSquare});
    EXPECT_FALSE(b->editor.onKeyDown(gz::EditorKey::Escape));
    EXPECT_FALSE(b->editor.onKeyDown(gz::EditorKey::Other));
    play(*b, click(300, 300));
    EXPECT_TRUE(b->editor.onKeyDown(gz::EditorKey::Escape));
}

struct CursorCase {
    const char* what;
    DrawTool tool;
    Script script;
    CursorKind cursor;
};

class CursorTest : public ::testing::TestWithParam<CursorCase> {};

TEST_P(CursorTest, Shape)
{
    const CursorCase& c = GetParam();
    auto b = std::make_unique<Board>(Outlines{kSquare, kTriangle});
    b->editor.setTool(c.tool);
    play(*b, c.script);
    EXPECT_EQ(b->host.cursor, c.cursor) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CursorTest,
    ::testing::Values(
        CursorCase{"over a point", kDraw, moveTo(203, 197), CursorKind::Cross},
        CursorCase{"4 pixels off a point", kDraw, moveTo(204, 200), CursorKind::Arrow},
        CursorCase{"over a point, move tool", kMove, moveTo(300, 100), CursorKind::Cross},
        CursorCase{"over a point, delete tool", kDelete, moveTo(300, 100), CursorKind::Cross},
        CursorCase{"over a point with Ctrl held", kDraw, ctrlDown() + moveTo(300, 100), CursorKind::Arrow},
        CursorCase{"over a point of the selected polygon with Ctrl held", kMove,
                   click(300, 100) + ctrlDown() + moveTo(300, 101), CursorKind::Cross},
        CursorCase{"Ctrl pressed over a point, draw tool", kDraw, moveTo(300, 100) + ctrlDown(),
                   CursorKind::Arrow},
        CursorCase{"Ctrl pressed while drawing", kDraw, click(500, 500) + moveTo(510, 510) + ctrlDown(),
                   CursorKind::Cross},
        CursorCase{"dragging", kMove, press(100, 100) + moveTo(120, 120), CursorKind::Hand},
        CursorCase{"after Escape from a drag", kMove, press(100, 100) + moveTo(120, 120) + escape(),
                   CursorKind::Arrow}));

TEST(PolygonEditor, DragRepaintsThePointAndItsNeighboursBeforeAndAfter)
{
    auto b = std::make_unique<Board>(Outlines{kSquare});
    b->editor.setTool(kMove);
    play(*b, press(200, 100));
    b->host.invalidated.clear();
    play(*b, moveTo(240, 60));
    // Point 1 with its neighbours (100, 100) and (200, 200), grown by 4.
    ASSERT_EQ(b->host.invalidated.size(), 2u);
    EXPECT_EQ(b->host.invalidated[0], (BoardRect{96, 96, 109, 109}));
    EXPECT_EQ(b->host.invalidated[1], (BoardRect{96, 56, 149, 149}));
}

TEST(PolygonEditor, SelectionRepaintsOldAndNewPolygonAreas)
{
    auto b = std::make_unique<Board>(Outlines{kSquare, kTriangle});
    b->editor.setTool(kMove);
    play(*b, click(150, 100));  // the square's edge
    EXPECT_EQ(b->editor.selectedPolygon(), 0);
    b->host.invalidated.clear();
    play(*b, click(325, 150));  // the triangle's edge
    EXPECT_EQ(b->editor.selectedPolygon(), 1);
    ASSERT_EQ(b->host.invalidated.size(), 2u);
    EXPECT_EQ(b->host.invalidated[0], (BoardRect{96, 96, 109, 109}));
    EXPECT_EQ(b->host.invalidated[1], (BoardRect{296, 96, 109, 109}));
    b->host.invalidated.clear();
    play(*b, click(325, 150));  // already selected: nothing to repaint
    EXPECT_TRUE(b->host.invalidated.empty());
}

TEST(PolygonEditor, HoverPrefersTheSelectedPolygonsPoints)
{
    // Two polygons share the point (200, 100). The search runs from the end
    // of the list, where polygon 0 is, so without a selection it finds the
    // square; with polygon 1 selected, polygon 1's point.
    auto b = std::make_unique<Board>(Outlines{kSquare, {{200, 100}, {260, 100}, {230, 50}}});
    b->editor.setTool(kMove);
    play(*b, moveTo(200, 100));
    ASSERT_GE(b->editor.hotPoint(), 0);
    EXPECT_EQ(b->list[b->editor.hotPoint()].polygon, 0);
    play(*b, click(230, 100));  // select polygon 1 by its edge
    EXPECT_EQ(b->editor.selectedPolygon(), 1);
    play(*b, drag(200, 100, 220, 140));
    EXPECT_EQ(b->polygons()[1][0], (PolygonPoint{220, 140}));
    EXPECT_EQ(b->polygons()[0][1], (PolygonPoint{200, 100}));
}

TEST(PolygonEditor, RemovedPolygonsColourGoesToTheEndOfTheColourList)
{
    auto b = std::make_unique<Board>(Outlines{kSquare, kTriangle, {{500, 100}, {600, 100}, {550, 200}}});
    b->editor.setTool(kDelete);
    play(*b, click(350, 200));  // a corner of the triangle in slot 1
    ASSERT_EQ(b->game.polygonCount, 2);
    EXPECT_EQ(b->game.polygons[0].colourIndex, 0);
    EXPECT_EQ(b->game.polygons[1].colourIndex, 2);  // the third polygon kept its colour
    for (int i = 2; i < 31; ++i)
        EXPECT_EQ(b->game.polygons[i].colourIndex, i + 1) << "slot " << i;
    EXPECT_EQ(b->game.polygons[31].colourIndex, 1);
    // A polygon drawn next takes the colour of the slot it lands in.
    b->editor.setTool(kDraw);
    play(*b, click(10, 10) + click(60, 10) + click(30, 50) + escape());
    EXPECT_EQ(b->game.polygons[2].colourIndex, 3);
    EXPECT_TRUE(b->game.colourIndexesArePermutation());
}

TEST(PolygonEditor, EscapingANewPolygonAlsoMovesItsColourToTheEnd)
{
    auto b = std::make_unique<Board>(Outlines{kSquare});
    play(*b, click(300, 300) + escape());
    EXPECT_EQ(b->game.polygonCount, 1);
    EXPECT_EQ(b->game.polygons[1].colourIndex, 2);
    EXPECT_EQ(b->game.polygons[31].colourIndex, 1);
}

TEST(PolygonEditor, MapsBoardPositionsToPicturePixels)
{
    // Double size from (100, 50): picture = (board - offset) / 2, truncated
    // toward zero; handles and boxes stay in board pixels.
    auto b = std::make_unique<Board>(Outlines{}, gz::PictureMapping{2, 1, 100, 50});
    play(*b, click(120, 70) + click(221, 70) + click(170, 171) + click(99, 49) + escape());
    EXPECT_EQ(b->polygons(), (Outlines{{{10, 10}, {60, 10}, {35, 60}, {0, 0}}}));
    // A 5-pixel drag on the board is too short, 8 pixels is not.
    b->editor.setTool(kMove);
    b->game.modified = false;
    play(*b, drag(120, 70, 125, 75));
    EXPECT_FALSE(b->game.modified);
    play(*b, drag(120, 70, 128, 62));
    EXPECT_EQ(b->polygons()[0][0], (PolygonPoint{14, 6}));
    EXPECT_TRUE(b->game.modified);
}

TEST(PolygonEditor, SortModeClicksReorderThroughTheHost)
{
    auto b = std::make_unique<Board>(Outlines{kSquare, kTriangle});
    b->mode = ViewMode::Sort;
    b->editor.onMouse(ViewMode::Sort, MouseKind::LeftDown, 350, 150);
    EXPECT_EQ(b->host.sortChanges, 1);
    EXPECT_EQ(b->polygons(), (Outlines{kTriangle, kSquare}));
    EXPECT_TRUE(b->game.modified);
    b->editor.onMouse(ViewMode::Sort, MouseKind::LeftDown, 250, 150);  // the gap
    b->editor.onMouse(ViewMode::Sort, MouseKind::RightDown, 150, 150);
    b->editor.onMouse(ViewMode::Sort, MouseKind::LeftDoubleClick, 150, 150);
    EXPECT_EQ(b->host.sortChanges, 1);
    EXPECT_EQ(b->polygons(), (Outlines{kTriangle, kSquare}));
    // Back in draw mode the hit tests see the new order at once.
    b->mode = ViewMode::Draw;
    b->editor.setTool(kMove);
    play(*b, drag(100, 100, 120, 120));
    EXPECT_EQ(b->polygons()[1][0], (PolygonPoint{120, 120}));
}

TEST(PolygonEditor, AGameReplacedUnderTheEditorIsNotTouched)
{
    auto b = std::make_unique<Board>(Outlines{kSquare});
    play(*b, click(300, 300) + click(350, 300));
    // The view saves and loads another game: it ends the gesture first,
    // then tells the editor the table is new.
    b->editor.finishGesture();
    EXPECT_FALSE(b->host.captured);
    EXPECT_EQ(b->polygons(), (Outlines{kSquare}));
    b->game.polygonCount = 0;
    gz::CoverPolygon* p = b->game.appendPolygon();
    for (PolygonPoint q : kTriangle)
        p->addPoint(q);
    b->editor.resetForNewGame();
    EXPECT_EQ(b->editor.selectedPolygon(), -1);
    EXPECT_EQ(b->editor.hotPoint(), -1);
    play(*b, escape() + rightClick(300, 100));
    EXPECT_EQ(b->polygons(), (Outlines{kTriangle}));
}

TEST(PolygonEditor, StaleHitTestStateNeverReachesPastTheTable)
{
    auto b = std::make_unique<Board>(Outlines{kSquare, kTriangle});
    b->editor.setTool(kMove);
    play(*b, moveTo(350, 200));  // hot point on the triangle
    ASSERT_GE(b->editor.hotPoint(), 0);
    b->game.polygonCount = 1;  // table cut behind the editor's back
    for (DrawTool t : {kMove, kDelete, kDraw}) {
        b->editor.setTool(t);
        b->editor.onMouse(ViewMode::Draw, MouseKind::LeftDown, 350, 200);
        b->editor.onMouse(ViewMode::Draw, MouseKind::LeftUp, 350, 200);
        b->editor.onKeyDown(gz::EditorKey::Escape);
    }
    EXPECT_EQ(b->game.polygonCount, 1);
    EXPECT_EQ(b->polygons()[0], kSquare);
    EXPECT_FALSE(b->host.captured);
}

// The mapping changes under a gesture (a zoom): the board positions the
// gesture started from move with the picture. A click at the last corner's
// new place still ends the drawing, one at its old place adds a corner; a
// drag dropped at the point's new place is still "no move".
TEST(PolygonEditor, AChangedMappingCarriesTheGestureAlong)
{
    const gz::PictureMapping doubled{2, 1, -100, -50};
    {
        auto b = std::make_unique<Board>();
        play(*b, click(10, 10) + click(60, 10) + click(30, 50) + moveTo(40, 60));
        b->mapping = doubled;
        b->editor.mappingChanged();
        // (30, 50) is now at (-40, 50): a click there is back on the last corner.
        play(*b, click(-38, 52));
        EXPECT_EQ(b->editor.captureState(), CaptureState::Idle);
        EXPECT_EQ(b->polygons(), (Outlines{{{10, 10}, {60, 10}, {30, 50}}}));
    }
    {
        auto b = std::make_unique<Board>();
        play(*b, click(10, 10) + click(60, 10) + click(30, 50) + moveTo(40, 60));
        b->mapping = doubled;
        b->editor.mappingChanged();
        play(*b, click(30, 50) + escape());   // picture (65, 50): a fourth corner
        EXPECT_EQ(b->polygons(), (Outlines{{{10, 10}, {60, 10}, {30, 50}, {65, 50}}}));
    }
    {
        auto b = std::make_unique<Board>(Outlines{kTriangle});
        b->editor.setTool(kMove);
        play(*b, moveTo(300, 100) + press(300, 100) + moveTo(330, 130));
        b->mapping = doubled;
        b->editor.mappingChanged();
        // The point started at picture (300, 100), now board (500, 150).
        play(*b, moveTo(503, 152) + release(503, 152));
        EXPECT_EQ(b->polygons(), (Outlines{kTriangle}));
        EXPECT_FALSE(b->game.modified);
    }
}

}  // namespace
