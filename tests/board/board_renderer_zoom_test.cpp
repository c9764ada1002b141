// The renderer at a zoom: the picture, the cover and the overlay all follow
// the zoom's mapping in draw and sort mode, and nothing else changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board_renderer.h"
#include "board_test_fixture.h"

namespace gz {
namespace {

using test::Board;
using test::compareColours;
using test::renderFromScratch;

constexpr int kW = 1000;
constexpr int kH = 700;
constexpr BoardRect kArea{142, 42, 716, 658};
constexpr int kBlock = 16;

// A picture of 16 x 16 blocks, each of its own colour: a board pixel that
// lies within one block must show that block's colour at any zoom.
uint32_t blockColour(int bx, int by)
{
    return (static_cast<uint32_t>(bx * 37 & 0xFF) << 16) | (static_cast<uint32_t>(by * 53 & 0xFF) << 8) |
           static_cast<uint32_t>(0x80 | ((bx + by) & 0x7F));
}

std::unique_ptr<GameContent> blockGame(int w = 2000, int h = 1500)
{
    auto game = std::make_unique<GameContent>();
    game->setQuestion("Was ist das?");
    game->picture.create(24, w, h, 0u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            game->picture.setPixel(x, y, blockColour(x / kBlock, y / kBlock));
    return game;
}

void addRectangle(GameContent& game, int l, int t, int r, int b)
{
    CoverPolygon* p = game.appendPolygon();
    for (PolygonPoint q : {PolygonPoint{l, t}, {r, t}, {r, b}, {l, b}})
        p->addPoint(q);
}

struct ZoomedBoard {
    ShowState show;
    std::unique_ptr<GameContent> game = blockGame();
    Board board{kW, kH, kStarSizeLarge, show, RenderOptions{false, false}};

    ZoomFrame frame() const { return board.renderer.zoomFrame(*game); }
    void zoom(const PictureZoom& z) { board.renderer.setPictureZoom(z); }
    void zoomAt(PolygonPoint at, int steps) { zoom(zoomedAround(frame(), board.renderer.pictureZoom(), at, steps)); }
    void tick(ViewMode mode) { board.renderer.renderTick(show, *game, mode, board.canvas); }
    PictureMapping mapping(ViewMode mode = ViewMode::Draw) const { return board.renderer.mappingFor(*game, mode); }
    uint32_t at(int x, int y) const { return board.canvas.backBuffer().colourAt(x, y) & 0xFFFFFF; }
};

TEST(BoardRendererZoom, ThePictureLinesUpWithTheMappingAtEveryZoom)
{
    struct Case {
        const char* what;
        PolygonPoint at;
        int steps;
        int panX, panY;
    };
    const Case cases[] = {
        {"one step", {500, 371}, 1, 0, 0},
        {"reduced still, panned", {300, 100}, 4, 40, -25},
        {"about one to one", {700, 600}, 8, 0, 0},
        {"magnified, odd scale", {200, 650}, 11, -33, 17},
        {"the top step at a corner", {143, 43}, 30, 0, 0},
        {"the top step, dragged to the far corner", {500, 371}, 30, -100000, -100000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZoomedBoard z;
        z.zoomAt(c.at, c.steps);
        z.zoom(pannedBy(z.frame(), z.board.renderer.pictureZoom(), c.panX, c.panY));
        z.tick(ViewMode::Draw);
        const PictureMapping m = z.mapping();
        ASSERT_NE(m, z.frame().fit);
        int checked = 0, wrong = 0;
        for (int y = kArea.y; y < kArea.y + kArea.h; ++y)
            for (int x = kArea.x; x < kArea.x + kArea.w; ++x) {
                const PolygonPoint p = m.toPicture({x, y});
                const PolygonPoint q = m.toPicture({x + 1, y + 1});
                const int lastX = std::max(p.x, q.x - 1), lastY = std::max(p.y, q.y - 1);
                if (p.x / kBlock != lastX / kBlock || p.y / kBlock != lastY / kBlock)
                    continue;   // straddles two blocks when reduced
                ++checked;
                if (z.at(x, y) != blockColour(p.x / kBlock, p.y / kBlock) && wrong++ < 3)
                    ADD_FAILURE() << "board " << x << "," << y << " picture " << p.x << "," << p.y;
            }
        EXPECT_GT(checked, kArea.w * kArea.h / 2);
        EXPECT_EQ(wrong, 0);
    }
}

// The strips, separators and banner of a zoomed board are those of the
// board at the fit; a picture smaller than the area leaves the background.
TEST(BoardRendererZoom, OnlyThePictureAreaChanges)
{
    // A wide picture: narrower than the area vertically for a few steps.
    ZoomedBoard fit;
    fit.game = blockGame(800, 200);
    fit.tick(ViewMode::Draw);
    ZoomedBoard z;
    z.game = blockGame(800, 200);
    z.zoomAt({400, 300}, 2);
    z.tick(ViewMode::Draw);
    const PictureMapping m = z.mapping();
    const PolygonPoint top = m.toBoard({0, 0});
    const PolygonPoint bottom = m.toBoard({800, 200});
    ASSERT_GT(top.y, kArea.y);
    ASSERT_LT(bottom.y, kArea.y + kArea.h);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool inArea = x >= kArea.x && x < kArea.x + kArea.w && y >= kArea.y;
            if (!inArea) {
                ASSERT_EQ(z.at(x, y), fit.at(x, y)) << x << "," << y;
            } else if (y < top.y || y >= bottom.y) {
                ASSERT_EQ(z.at(x, y), kPictureBackground) << x << "," << y;
            }
        }
}

// Sort mode paints the cover through the same mapping: a rectangle's
// corners fall on its mapped corners to within a board pixel, and a polygon
// reaching far beyond the picture still covers what it covers.
TEST(BoardRendererZoom, TheCoverLinesUpWithTheMapping)
{
    ZoomedBoard z;
    addRectangle(*z.game, 400, 300, 480, 340);                      // index 0
    addRectangle(*z.game, -900000000, 1000, 900000000, 1100);       // index 1: a band
    const uint32_t first = coverColour(z.game->polygons[0].colourIndex);
    const uint32_t band = coverColour(z.game->polygons[1].colourIndex);
    struct Case {
        const char* what;
        PolygonPoint at;
        int steps;
    };
    for (const Case& c : {Case{"a few steps", {500, 371}, 5}, Case{"the top step", {500, 371}, 30}}) {
        SCOPED_TRACE(c.what);
        // Put the rectangle's top left corner under the area's centre first.
        z.zoom({});
        z.zoom(zoomedAround(z.frame(), {}, z.frame().fit.toBoard({400, 300}), c.steps));
        z.tick(ViewMode::Sort);
        const PictureMapping m = z.mapping(ViewMode::Sort);
        const PolygonPoint tl = m.toBoard({400, 300});
        const PolygonPoint br = m.toBoard({480, 340});
        ASSERT_GT(tl.x, kArea.x + 2);
        ASSERT_GT(tl.y, kArea.y + 2);
        EXPECT_EQ(z.at(tl.x + 1, tl.y + 1), first);
        EXPECT_EQ(z.at(tl.x - 2, tl.y + 1), kCoverBackground);
        EXPECT_EQ(z.at(tl.x + 1, tl.y - 2), kCoverBackground);
        if (br.x < kArea.x + kArea.w && br.y < kArea.y + kArea.h) {
            EXPECT_EQ(z.at(br.x - 2, br.y - 2), first);
            EXPECT_EQ(z.at(br.x + 1, br.y - 2), kCoverBackground);
        }
        // The band, from picture row 1000 to 1100, across the whole area.
        z.zoom(pannedBy(z.frame(), z.board.renderer.pictureZoom(), 0, tl.y - m.toBoard({0, 1050}).y));
        z.tick(ViewMode::Sort);
        const PictureMapping banded = z.mapping(ViewMode::Sort);
        const int row = banded.toBoard({0, 1050}).y;
        ASSERT_GE(row, kArea.y);
        ASSERT_LT(row, kArea.y + kArea.h);
        for (int x = kArea.x; x < kArea.x + kArea.w; x += 5)
            ASSERT_EQ(z.at(x, row), band) << x;
    }
}

// Play, the previews and the fit draw exactly what they drew without a zoom.
TEST(BoardRendererZoom, PlayAndPreviewModesShowTheFit)
{
    for (ViewMode mode : {ViewMode::Play, ViewMode(3), ViewMode(7), ViewMode::Draw, ViewMode::Sort}) {
        SCOPED_TRACE(static_cast<int>(mode));
        auto game = test::makeFixedGame();
        ShowState show;
        show.setBanner(game->question);
        show.revealCount = 2;
        RasterImage expected;
        renderFromScratch(show, *game, mode, kW, kH, kStarSizeLarge, {}, expected);

        ShowState zoomedShow;
        test::copyShow(show, zoomedShow);
        Board board(kW, kH, kStarSizeLarge, zoomedShow);
        const bool drawOrSort = mode == ViewMode::Draw || mode == ViewMode::Sort;
        // Draw and sort mode at the fit; the others at any zoom.
        if (!drawOrSort)
            board.renderer.setPictureZoom(zoomedAround(board.renderer.zoomFrame(*game), {}, {500, 300}, 6));
        board.renderer.renderTick(zoomedShow, *game, mode, board.canvas);
        const auto d = compareColours(board.canvas.backBuffer(), expected);
        EXPECT_TRUE(d.same) << d.where;
        EXPECT_EQ(board.renderer.mappingFor(*game, mode),
                  computePictureMapping(board.renderer.layout(), kW, kH, 160, 120));
    }
}

// A new zoom redraws the picture area at the next pass and nothing else;
// a pass without one draws nothing. Back at the fit, the board is the one
// drawn from scratch.
TEST(BoardRendererZoom, AZoomChangeRedrawsThePictureAreaAlone)
{
    ZoomedBoard z;
    addRectangle(*z.game, 100, 100, 300, 200);
    z.tick(ViewMode::Sort);
    z.board.canvas.clearInvalid();
    z.tick(ViewMode::Sort);
    EXPECT_EQ(z.board.canvas.invalidCount(), 0);

    z.zoomAt({400, 300}, 3);
    z.tick(ViewMode::Sort);
    ASSERT_EQ(z.board.canvas.invalidCount(), 1);
    EXPECT_EQ(z.board.canvas.invalidRect(0), kArea);
    z.board.canvas.clearInvalid();
    z.tick(ViewMode::Sort);
    EXPECT_EQ(z.board.canvas.invalidCount(), 0);

    z.zoom({});
    z.tick(ViewMode::Sort);
    EXPECT_EQ(z.board.canvas.invalidCount(), 1);
    RasterImage expected;
    renderFromScratch(z.show, *z.game, ViewMode::Sort, kW, kH, kStarSizeLarge, {false, false}, expected);
    const auto d = compareColours(z.board.canvas.backBuffer(), expected);
    EXPECT_TRUE(d.same) << d.where;
}

// The visible part is sampled once for a view: a forced redraw for a new
// cover order (what a sort click does) paints the cover over the part
// already sampled, and only a new mapping samples the picture again.
TEST(BoardRendererZoom, ACoverChangeReusesTheSampledPart)
{
    ZoomedBoard z;
    addRectangle(*z.game, 0, 0, 10, 10);
    z.zoomAt({500, 371}, 6);
    z.tick(ViewMode::Draw);
    const PictureMapping m = z.mapping();
    const PolygonPoint centre = m.toPicture({500, 371});
    const uint32_t before = z.at(500, 371);
    // The picture changes behind the renderer's back; only a new mapping
    // (or the fit) may show it.
    z.game->picture.fillRect(0, 0, z.game->picture.width(), z.game->picture.height(), 0x010203);
    z.board.renderer.requestFullRedraw(z.show);
    z.tick(ViewMode::Draw);
    EXPECT_EQ(z.at(500, 371), before);
    ASSERT_EQ(blockColour(centre.x / kBlock, centre.y / kBlock), before);
    z.zoom(pannedBy(z.frame(), z.board.renderer.pictureZoom(), 1, 0));
    z.tick(ViewMode::Draw);
    EXPECT_EQ(z.at(500, 371), 0x010203u);
}

// Records the overlay's clip and what it draws.
struct ClipRecorder : OverlayPainter {
    std::vector<BoardRect> clips;
    int drawnBeforeClip = 0;
    std::vector<BoardRect> handles;
    int lines = 0;
    void setClip(const BoardRect& area) override { clips.push_back(area); }
    void setColour(uint8_t, uint8_t, uint8_t) override {}
    void fillRect(int l, int t, int r, int b) override
    {
        drawnBeforeClip += clips.empty() ? 1 : 0;
        handles.push_back({l, t, r - l + 1, b - t + 1});
    }
    void moveTo(int, int) override {}
    void lineTo(int, int) override
    {
        drawnBeforeClip += clips.empty() ? 1 : 0;
        ++lines;
    }
};

// Zoomed outlines reach beyond the picture area: everything the overlay
// draws is clipped to it, handles wholly outside it are left out, and the
// point list holds every point where the zoom puts it.
TEST(BoardRendererZoom, TheOverlayIsClippedToThePictureArea)
{
    ZoomedBoard z;
    addRectangle(*z.game, 400, 300, 480, 340);
    addRectangle(*z.game, 10, 10, 1990, 1490);
    addRectangle(*z.game, -2000000000, -2000000000, 2000000000, 2000000000);
    // The top step with picture point (440, 320) at the area's centre.
    z.zoom({100, 440 * kZoomCentreUnit, 320 * kZoomCentreUnit});
    ClipRecorder painter;
    z.board.renderer.paintOverlay(painter, *z.game, ViewMode::Draw, 1);
    ASSERT_EQ(painter.clips.size(), 1u);
    EXPECT_EQ(painter.clips[0], kArea);
    EXPECT_EQ(painter.drawnBeforeClip, 0);
    EXPECT_GT(painter.lines, 0);
    const PictureMapping m = z.board.renderer.pictureMapping();
    EXPECT_EQ(m, z.mapping());
    EXPECT_EQ(m.numerator, 8 * m.denominator);
    for (const BoardRect& h : painter.handles) {
        EXPECT_GT(h.x + h.w, kArea.x);
        EXPECT_GT(h.y + h.h, kArea.y);
        EXPECT_LT(h.x, kArea.x + kArea.w);
        EXPECT_LT(h.y, kArea.y + kArea.h);
    }
    // The first rectangle (640 x 320 board pixels) lies in the area, the
    // corners of the others do not: its four handles alone.
    EXPECT_EQ(painter.handles.size(), 4u);
    const FlatPointList& points = z.board.renderer.flatPoints();
    ASSERT_EQ(points.size(), 12);
    for (int i = 0; i < points.size(); ++i) {
        const FlatPoint& f = points[i];
        const PolygonPoint b = m.toBoard(z.game->polygons[f.polygon].points[f.point]);
        EXPECT_EQ(f.x, b.x);
        EXPECT_EQ(f.y, b.y);
    }
}

}  // namespace
}  // namespace gz
