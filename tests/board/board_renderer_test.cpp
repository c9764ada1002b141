#include "board/board_renderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "board_test_fixture.h"

namespace gz {
namespace {

using test::Board;
using test::compareColours;
using test::makeFixedGame;
using test::renderFromScratch;
using test::setPlayer;

TEST(BoardColours, CoverColourFormula)
{
    struct Case {
        int index;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, 0x002000}, {1, 0x202000}, {2, 0x002020}, {4, 0x003000}, {5, 0x203000},
        {8, 0x404040}, {15, 0x605060}, {16, 0x006000}, {31, 0x609060},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(coverColour(c.index), c.colour);
    }
}

TEST(BoardColours, OutlineColourFormula)
{
    struct Case {
        int index;
        OutlineColour colour;
    };
    const Case cases[] = {
        {0, {0x40, 0x40, 0x40}}, {1, {0xC0, 0x40, 0x40}}, {8, {0x80, 0x40, 0x40}},
        {9, {0x00, 0x40, 0x40}}, {2, {0x40, 0xC0, 0x40}}, {4, {0x40, 0x40, 0xC0}},
        {7, {0xC0, 0xC0, 0xC0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(outlineColour(c.index), c.colour);
        EXPECT_EQ(outlineColour(c.index | 16), c.colour);   // bit 4 is not shown
    }
    EXPECT_EQ(cellColour(PlayerState::Idle), 0x000000u);
    EXPECT_EQ(cellColour(PlayerState::Buzzed), 0xBCBC00u);
    EXPECT_EQ(cellColour(PlayerState::TimeOver), 0xFF0000u);
    EXPECT_EQ(cellColour(static_cast<PlayerState>(9)), 0x000000u);
}

// One change to the show or the board between two ticks.
struct Step {
    const char* what;
    ViewMode mode;
    std::function<void(ShowState&, Board&, std::unique_ptr<GameContent>&)> change;
};

// After every tick the incrementally drawn back buffer must equal a board
// drawn from scratch for the same state.
void runIncrementalSequence(int width, int height, int starSize, RenderOptions options)
{
    auto game = makeFixedGame();
    ShowState show;
    show.setBanner(game->question);
    Board board(width, height, starSize, show, options);
    int currentStarSize = starSize;
    auto relayout = [&](int option) {
        return [&, option](ShowState& s, Board& b, std::unique_ptr<GameContent>&) {
            currentStarSize = option;
            b.renderer.applyStarSize(option);
            b.renderer.requestFullRedraw(s);
        };
    };
    const Step steps[] = {
        {"first tick", ViewMode::Play, [](ShowState&, Board&, auto&) {}},
        {"idle tick", ViewMode::Play, [](ShowState&, Board&, auto&) {}},
        {"first step", ViewMode::Play, [](ShowState& s, Board&, auto&) { s.revealCount = 0; }},
        {"second step", ViewMode::Play, [](ShowState& s, Board&, auto&) { s.revealCount = 1; }},
        {"left buzzes", ViewMode::Play,
         [](ShowState& s, Board&, auto&) { setPlayer(s, PlayerSide::Left, PlayerState::Buzzed, 0); }},
        {"stars up", ViewMode::Play,
         [](ShowState& s, Board&, auto&) { s.stars[0] = 3; s.stars[1] = 6; }},
        {"uncovered", ViewMode::Play,
         [](ShowState& s, Board&, auto& g) {
             setPlayer(s, PlayerSide::Left, PlayerState::Idle, 3);
             s.revealCount = g->polygonCount;
             s.setBanner(g->answer);
         }},
        {"stars down", ViewMode::Play, [](ShowState& s, Board&, auto&) { s.stars[1] = 2; }},
        {"time over", ViewMode::Play,
         [](ShowState& s, Board&, auto&) {
             setPlayer(s, PlayerSide::Left, PlayerState::TimeOver, 3);
             setPlayer(s, PlayerSide::Right, PlayerState::TimeOver, 2);
         }},
        {"two rows", ViewMode::Play, relayout(kStarSizeTwoRows)},
        {"many stars", ViewMode::Play,
         [](ShowState& s, Board&, auto&) {
             setPlayer(s, PlayerSide::Left, PlayerState::Idle, 20);
             setPlayer(s, PlayerSide::Right, PlayerState::Buzzed, 24);
         }},
        {"large stars keep the count", ViewMode::Play, relayout(kStarSizeLarge)},
        {"draw mode", ViewMode::Draw, [](ShowState&, Board&, auto&) {}},
        {"preview 2", ViewMode(4), [](ShowState&, Board&, auto&) {}},
        {"preview 20", ViewMode(22), [](ShowState&, Board&, auto&) {}},
        {"sort mode", ViewMode::Sort, [](ShowState&, Board&, auto&) {}},
        {"small stars", ViewMode::Sort, relayout(kStarSizeSmall)},
        {"another game", ViewMode::Play,
         [](ShowState& s, Board&, auto& g) {
             g = makeFixedGame();
             g->polygonCount = 2;
             g->picture.fillRect(0, 0, 80, 60, 0x808000);
             s.revealCount = kRevealHidden;
             s.drawnRevealCount = kRevealForceRedraw;
             s.setBanner("Eine sehr lange Frage, die kaum in das Band passt und noch viel "
                         "l\xE4nger ist, als irgendeine Schrift auf dieser Breite zeigen kann");
         }},
        {"medium stars", ViewMode::Play, relayout(kStarSizeMedium)},
        {"resize", ViewMode::Play,
         [&](ShowState& s, Board& b, auto&) {
             b.renderer.resize(b.canvas, s, width + 37, height + 11);
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(show, board, game);
        board.renderer.renderTick(show, *game, step.mode, board.canvas);
        RasterImage expected;
        renderFromScratch(show, *game, step.mode, board.renderer.width(), board.renderer.height(),
                          currentStarSize, options, expected);
        const auto diff = compareColours(board.canvas.backBuffer(), expected);
        EXPECT_TRUE(diff.same) << diff.where;
    }
}

TEST(BoardRenderer, IncrementalTicksEqualAFullRender)
{
    struct Case {
        int width, height, starSize;
        RenderOptions options;
    };
    const Case cases[] = {
        {640, 360, kStarSizeLarge, {true, false}},
        {500, 420, kStarSizeSmall, {false, true}},
        {1000, 700, kStarSizeTwoRows, {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " option " << c.starSize);
        runIncrementalSequence(c.width, c.height, c.starSize, c.options);
    }
}

TEST(BoardRenderer, EachChangeInvalidatesOnlyItsRegion)
{
    auto game = makeFixedGame();
    ShowState show;
    Board board(1000, 700, kStarSizeLarge, show);
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    // First tick: the 6 cells a side that reach into the window, two
    // separators, picture area, banner.
    EXPECT_EQ(board.canvas.invalidCount(), 2 * 6 + 2 + 2);
    board.canvas.clearInvalid();

    RasterImage before;
    before.copyFrom(board.canvas.backBuffer());
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    EXPECT_EQ(board.canvas.invalidCount(), 0) << "an idle tick draws nothing";
    EXPECT_TRUE(compareColours(before, board.canvas.backBuffer()).same);

    struct Case {
        const char* what;
        std::function<void(ShowState&)> change;
        std::vector<BoardRect> rects;
    };
    const std::vector<Case> cases = {
        {"a star", [](ShowState& s) { s.stars[1] = 1; }, {{864, 564, 136, 136}}},
        {"a second star", [](ShowState& s) { s.stars[1] = 2; }, {{864, 428, 136, 136}}},
        {"an uncover step", [](ShowState& s) { s.revealCount = 0; }, {{142, 42, 716, 658}}},
        {"the banner", [](ShowState& s) { s.setBanner("Frage"); }, {{142, 0, 716, 42}}},
        {"a buzz redraws the whole strip",
         [](ShowState& s) { setPlayer(s, PlayerSide::Left, PlayerState::Buzzed, 0); },
         {{0, 564, 136, 136}, {0, 428, 136, 136}, {0, 292, 136, 136}, {0, 156, 136, 136},
          {0, 20, 136, 136}, {0, 0, 136, 20}}},   // cells above the top are cut away
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change(show);
        board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
        std::vector<BoardRect> got;
        for (int i = 0; i < board.canvas.invalidCount(); ++i)
            got.push_back(board.canvas.invalidRect(i));
        EXPECT_EQ(got, c.rects);
        board.canvas.clearInvalid();
    }
}

// Colour of picture pixel (x, y) of the game as shown on the board.
uint32_t boardColourAtPicture(const Board& b, const GameContent& g, int x, int y)
{
    const BoardRect area = pictureAreaRect(b.renderer.layout(), b.renderer.width(), b.renderer.height());
    const PictureFit fit = fitPicture(g.picture.width(), g.picture.height(), area.w, area.h);
    const int bx = area.x + (area.w - fit.width) / 2 + x * fit.width / g.picture.width();
    const int by = area.y + (area.h - fit.height) / 2 + y * fit.height / g.picture.height();
    return b.canvas.backBuffer().colourAt(bx, by) & 0xFFFFFF;
}

TEST(BoardRenderer, CoverColoursBackgroundsAndBlackMode)
{
    auto game = makeFixedGame();
    game->polygons[0].colourIndex = 5;
    // Picture pixels: inside "Himmel" (slot 0) only; on the 2-point line of
    // slot 3 and under no other polygon; under nothing at all.
    const int inSky[2] = {150, 10};
    const int onLine[2] = {84, 60};
    const int free[2] = {84, 45};
    struct Case {
        const char* what;
        ViewMode mode;
        bool black;
        int reveal;
        uint32_t sky, line, open;
    };
    const Case cases[] = {
        {"hidden, coloured", ViewMode::Play, false, -1, 0x203000, 0x081808, 0x081808},
        {"hidden, black", ViewMode::Play, true, -1, 0x000000, 0x000000, 0x000000},
        {"sort mode ignores black", ViewMode::Sort, true, 3, 0x203000, 0x081808, 0x081808},
        {"preview 1 in black", ViewMode(3), true, -5, 0x000000, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowState show;
        show.revealCount = c.reveal;
        RenderOptions options;
        options.polygonLabels = false;
        options.blackCover = c.black;
        Board board(1000, 700, kStarSizeLarge, show, options);
        board.renderer.renderTick(show, *game, c.mode, board.canvas);
        EXPECT_EQ(boardColourAtPicture(board, *game, inSky[0], inSky[1]), c.sky);
        if (c.line != 0xFFFFFFFF) {
            EXPECT_EQ(boardColourAtPicture(board, *game, onLine[0], onLine[1]), c.line)
                << "a 2-point polygon is never painted";
            EXPECT_EQ(boardColourAtPicture(board, *game, free[0], free[1]), c.open);
        } else {
            // Preview 1: nothing uncovered yet, the picture shows in the gaps.
            EXPECT_EQ(show.revealCount, 0);
            const uint32_t shown = boardColourAtPicture(board, *game, free[0], free[1]);
            EXPECT_NE(shown, 0x000000u);
            EXPECT_NE(shown, 0x081808u);
        }
    }
}

TEST(BoardRenderer, ModesSetTheRevealCount)
{
    auto game = makeFixedGame();   // 5 polygons
    struct Case {
        ViewMode mode;
        int before, after;
    };
    const Case cases[] = {
        {ViewMode::Play, 2, 2}, {ViewMode::Play, -1, -1}, {ViewMode::Draw, -1, 5},
        {ViewMode::Sort, 4, -1}, {ViewMode(3), 5, 0}, {ViewMode(7), -1, 4},
        {ViewMode(8), -1, 5}, {ViewMode(22), -1, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        ShowState show;
        show.revealCount = c.before;
        Board board(400, 300, kStarSizeSmall, show);
        board.renderer.renderTick(show, *game, c.mode, board.canvas);
        EXPECT_EQ(show.revealCount, c.after);
        EXPECT_EQ(show.drawnRevealCount, c.after);
    }
}

TEST(BoardRenderer, LabelsAndBlackCoverWaitForTheNextPictureRedraw)
{
    auto game = makeFixedGame();
    ShowState show;
    Board board(640, 360, kStarSizeSmall, show);
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    RasterImage before;
    before.copyFrom(board.canvas.backBuffer());
    board.renderer.options().polygonLabels = false;
    board.renderer.options().blackCover = true;
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    EXPECT_TRUE(compareColours(before, board.canvas.backBuffer()).same);
    show.revealCount = 0;
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    RasterImage expected;
    renderFromScratch(show, *game, ViewMode::Play, 640, 360, kStarSizeSmall, {false, true}, expected);
    EXPECT_TRUE(compareColours(expected, board.canvas.backBuffer()).same);
    EXPECT_FALSE(compareColours(before, board.canvas.backBuffer()).same);
}

TEST(BoardRenderer, LabelsAreDrawnOnlyOnPaintedPolygons)
{
    auto game = makeFixedGame();
    for (int reveal : {-1, 0, 2, 5}) {
        SCOPED_TRACE(reveal);
        RasterImage with, without;
        ShowState show;
        show.revealCount = reveal;
        renderFromScratch(show, *game, ViewMode::Play, 640, 360, kStarSizeSmall, {true, false}, with);
        renderFromScratch(show, *game, ViewMode::Play, 640, 360, kStarSizeSmall, {false, false}, without);
        // Slots 0..2 and 4 have 3+ points; painted are slots 0 .. N-r-1.
        const bool anyPainted = reveal < 5;
        EXPECT_EQ(compareColours(with, without).same, !anyPainted);
    }
}

TEST(BoardRenderer, LitCellsShowTheStarOverTheStateColour)
{
    auto game = makeFixedGame();
    ShowState show;
    setPlayer(show, PlayerSide::Left, PlayerState::Buzzed, 2);
    Board board(1000, 700, kStarSizeLarge, show);
    const RasterImage& star = board.renderer.starImage(StarImage::Large);
    ASSERT_EQ(star.width(), 100);
    ASSERT_EQ(star.height(), 95);
    EXPECT_EQ(board.renderer.starImage(StarImage::Medium).width(), 75);
    EXPECT_EQ(board.renderer.starImage(StarImage::Medium).height(), 71);
    EXPECT_EQ(board.renderer.starImage(StarImage::Small).width(), 50);
    EXPECT_EQ(board.renderer.starImage(StarImage::Small).height(), 47);
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    const RasterImage& back = board.canvas.backBuffer();
    // Cell 0 at (0, 564): the star sits at (18, 584); its corner is
    // transparent and its centre opaque.
    EXPECT_EQ(star.colourAt(0, 0) >> 24, 0u);
    EXPECT_EQ(star.colourAt(50, 50) >> 24, 255u);
    EXPECT_EQ(back.colourAt(18, 584) & 0xFFFFFF, 0xBCBC00u);
    EXPECT_EQ(back.colourAt(18 + 50, 584 + 50) & 0xFFFFFF, star.colourAt(50, 50) & 0xFFFFFF);
    EXPECT_EQ(back.colourAt(18 + 50, 448 + 50) & 0xFFFFFF, star.colourAt(50, 50) & 0xFFFFFF);
    EXPECT_EQ(back.colourAt(18 + 50, 312 + 50) & 0xFFFFFF, 0xBCBC00u) << "third cell is not lit";
    EXPECT_EQ(back.colourAt(864 + 68, 564 + 68) & 0xFFFFFF, 0x000000u) << "right side idle, no stars";
}

TEST(BoardRenderer, MissingStarImagesLeaveOnlyTheBackground)
{
    auto game = makeFixedGame();
    ShowState show;
    setPlayer(show, PlayerSide::Right, PlayerState::TimeOver, 7);
    BoardRenderer renderer;   // no star images loaded
    BoardCanvas canvas;
    renderer.resize(canvas, show, 1000, 700);
    renderer.renderTick(show, *game, ViewMode::Play, canvas);
    for (int y = 0; y < 700; y += 7)
        ASSERT_EQ(canvas.backBuffer().colourAt(864 + 68, y) & 0xFFFFFF, 0xFF0000u) << y;
}

TEST(BoardRenderer, WindowTooNarrowForThePictureKeepsTheSeparators)
{
    auto game = makeFixedGame();
    ShowState show;
    show.setBanner("Frage");
    // Both strips (136 each) and separators need 284 columns; at 280 the
    // picture area and banner have no room and must not be filled leftward.
    Board board(280, 300, kStarSizeLarge, show);
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    const RasterImage& back = board.canvas.backBuffer();
    // The right separator starts at 280 - 136 - 6 = 138.
    for (int k = 0; k < 4; ++k)
        for (int y : {0, 20, 100, 299})
            EXPECT_EQ(back.colourAt(138 + k, y) & 0xFFFFFF, kBevelColours[k]) << k << "," << y;
    EXPECT_TRUE(board.renderer.coverImage().isEmpty());
    EXPECT_EQ(show.bannerDirty, 0);
    EXPECT_EQ(show.drawnRevealCount, show.revealCount);
}

TEST(BoardRenderer, BannerTooWideIsCutAtTheBand)
{
    auto game = makeFixedGame();
    ShowState show;
    std::string wide(255, 'W');
    show.setBanner(wide);
    Board board(640, 360, kStarSizeSmall, show);
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    const RasterImage& back = board.canvas.backBuffer();
    // Strip cells (idle, no stars) stay black, separators keep their bevel.
    for (int y = 0; y < 42; ++y) {
        for (int x = 0; x < 68; ++x)
            ASSERT_EQ(back.colourAt(x, y) & 0xFFFFFF, 0u) << x << "," << y;
        for (int k = 0; k < 6; ++k) {
            ASSERT_EQ(back.colourAt(68 + k, y) & 0xFFFFFF, kBevelColours[k]);
            ASSERT_EQ(back.colourAt(640 - 74 + k, y) & 0xFFFFFF, kBevelColours[k]);
        }
    }
    // The 18-pixel font at y = 11: no ink in the rows above (soft ink
    // reaches one row up).
    for (int y = 0; y < 10; ++y)
        for (int x = 74; x < 640 - 74; ++x)
            ASSERT_EQ(back.colourAt(x, y) & 0xFFFFFF, 0u) << x << "," << y;
    bool ink = false;
    for (int x = 74; x < 640 - 74 && !ink; ++x)
        ink = (back.colourAt(x, 20) & 0x00FF00) != 0;
    EXPECT_TRUE(ink);
}

TEST(BoardRenderer, UnusualPicturesRender)
{
    struct Case {
        const char* what;
        std::function<void(GameContent&)> make;
    };
    const Case cases[] = {
        {"empty picture", [](GameContent& g) { g.picture.release(); }},
        {"one pixel", [](GameContent& g) { g.picture.create(24, 1, 1, 0xFF00FFu); }},
        {"indexed at the exact size",
         [](GameContent& g) {
             // 1000 x 700 large stars: the area is 716 x 658.
             g.picture.create(8, 716, 658, 0x0Au);   // default palette entry 10: 0x00FF00
         }},
        {"a line of a picture", [](GameContent& g) { g.picture.create(24, 5000, 1, 0x808080u); }},
        {"far points",
         [](GameContent& g) {
             g.polygons[1].points[0] = {2000000000, -2000000000};
             g.polygons[1].points[1] = {-2000000000, 2000000000};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto game = makeFixedGame();
        c.make(*game);
        ShowState show;
        show.revealCount = 0;
        Board board(1000, 700, kStarSizeLarge, show);
        board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
        EXPECT_EQ(show.drawnRevealCount, 0);
    }
    // The indexed picture is shown in colour, with the cover in cover colours.
    auto game = makeFixedGame();
    game->picture.create(8, 716, 658, 0x0Au);
    game->polygonCount = 1;
    game->polygons[0].points[0] = {0, 0};
    game->polygons[0].points[1] = {300, 0};
    game->polygons[0].points[2] = {300, 300};
    game->polygons[0].points[3] = {0, 300};
    ShowState show;
    show.revealCount = 0;
    Board board(1000, 700, kStarSizeLarge, show, {false, false});
    board.renderer.renderTick(show, *game, ViewMode::Play, board.canvas);
    EXPECT_EQ(board.canvas.backBuffer().colourAt(142 + 100, 42 + 100) & 0xFFFFFF, coverColour(0));
    EXPECT_EQ(board.canvas.backBuffer().colourAt(142 + 500, 42 + 500) & 0xFFFFFF, 0x00FF00u);
}

TEST(BoardRenderer, NothingIsDrawnBeforeTheFirstSize)
{
    auto game = makeFixedGame();
    ShowState show;
    BoardRenderer renderer;
    BoardCanvas canvas;
    EXPECT_FALSE(renderer.resize(canvas, show, 0, 500));
    EXPECT_FALSE(renderer.resize(canvas, show, 500, 0));
    renderer.renderTick(show, *game, ViewMode::Play, canvas);
    EXPECT_TRUE(canvas.backBuffer().isEmpty());
    EXPECT_EQ(show.drawnRevealCount, kRevealForceRedraw);
    EXPECT_EQ(show.bannerDirty, 1);
}

// Records the overlay's drawing calls, and apart from them its clipping
// with the number of calls drawn before it.
struct RecordingPainter : OverlayPainter {
    std::vector<std::string> calls;
    std::vector<std::pair<BoardRect, size_t>> clips;
    void setClip(const BoardRect& area) override { clips.emplace_back(area, calls.size()); }
    void setColour(uint8_t r, uint8_t g, uint8_t b) override
    {
        calls.push_back("colour " + std::to_string(r) + "," + std::to_string(g) + "," +
                        std::to_string(b));
    }
    void fillRect(int l, int t, int r, int b) override
    {
        calls.push_back("rect " + std::to_string(l) + "," + std::to_string(t) + "," +
                        std::to_string(r) + "," + std::to_string(b));
    }
    void moveTo(int x, int y) override
    {
        calls.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    }
    void lineTo(int x, int y) override
    {
        calls.push_back("line " + std::to_string(x) + "," + std::to_string(y));
    }
};

TEST(BoardOverlay, DrawModeOutlinesHandlesAndPointList)
{
    // A 100 x 100 picture on a 384 x 142 board with small stars: the area is
    // 236 x 100, the picture sits unscaled at (142, 42).
    GameContent game;
    game.picture.create(24, 100, 100, 0u);
    CoverPolygon* a = game.appendPolygon();   // slot 0, colour 0
    a->addPoint({0, 0});
    a->addPoint({10, 0});
    a->addPoint({0, 10});
    CoverPolygon* b = game.appendPolygon();   // slot 1, colour 1
    b->addPoint({50, 50});
    b->addPoint({60, 50});
    game.appendPolygon();                     // slot 2: no points
    ShowState show;
    BoardRenderer renderer;
    BoardCanvas canvas;
    renderer.applyStarSize(kStarSizeSmall);
    renderer.resize(canvas, show, 384, 142);

    RecordingPainter p;
    renderer.paintOverlay(p, game, ViewMode::Draw, -1);
    EXPECT_EQ(renderer.pictureMapping(), (PictureMapping{100, 100, 142, 42}));
    const std::vector<std::string> expected = {
        // slot 1 first: handles under a 3-pixel outline
        "colour 192,64,64",
        "rect 189,89,195,95", "move 192,92", "rect 199,89,205,95", "line 202,92",
        "line 192,92",
        "move 203,92", "line 193,92", "line 203,92",
        "move 201,92", "line 191,92", "line 201,92",
        "move 202,93", "line 192,93", "line 202,93",
        "move 202,91", "line 192,91", "line 202,91",
        // slot 0
        "colour 64,64,64",
        "rect 139,39,145,45", "move 142,42", "rect 149,39,155,45", "line 152,42",
        "rect 139,49,145,55", "line 142,52", "line 142,42",
        "move 143,52", "line 143,42", "line 153,42", "line 143,52",
        "move 141,52", "line 141,42", "line 151,42", "line 141,52",
        "move 142,53", "line 142,43", "line 152,43", "line 142,53",
        "move 142,51", "line 142,41", "line 152,41", "line 142,51",
    };
    EXPECT_EQ(p.calls, expected);
    FlatPointList rebuilt;
    buildFlatPointList(game, renderer.pictureMapping(), rebuilt);
    ASSERT_EQ(renderer.flatPoints().size(), 5);
    for (int i = 0; i < rebuilt.size(); ++i)
        EXPECT_EQ(renderer.flatPoints()[i], rebuilt[i]);
    EXPECT_EQ(renderer.flatPoints().polygonStart(2), 0);
    EXPECT_EQ(renderer.flatPoints().polygonStart(1), 0);
    EXPECT_EQ(renderer.flatPoints().polygonStart(0), 2);

    // Selected slot 1: its handles without outline first, then on top five
    // passes each ending every line with the point's handle.
    RecordingPainter sel;
    renderer.paintOverlay(sel, game, ViewMode::Draw, 1);
    const std::vector<std::string> selectedStart = {
        "colour 192,64,64", "rect 189,89,195,95", "rect 199,89,205,95", "colour 64,64,64"};
    ASSERT_GE(sel.calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(sel.calls.begin(), sel.calls.begin() + 4), selectedStart);
    const std::vector<std::string> selectedEnd = {
        "colour 192,64,64",
        "move 203,92", "line 193,92", "rect 189,89,195,95", "line 203,92", "rect 199,89,205,95",
        "move 201,92", "line 191,92", "rect 189,89,195,95", "line 201,92", "rect 199,89,205,95",
        "move 202,93", "line 192,93", "rect 189,89,195,95", "line 202,93", "rect 199,89,205,95",
        "move 202,91", "line 192,91", "rect 189,89,195,95", "line 202,91", "rect 199,89,205,95",
        "move 202,92", "line 192,92", "rect 189,89,195,95", "line 202,92", "rect 199,89,205,95",
    };
    ASSERT_GE(sel.calls.size(), selectedEnd.size());
    EXPECT_EQ(std::vector<std::string>(sel.calls.end() - selectedEnd.size(), sel.calls.end()),
              selectedEnd);

    // A selected polygon without points draws nothing extra; other modes.
    struct Case {
        ViewMode mode;
        int selected;
        size_t calls;
    };
    const Case cases[] = {
        {ViewMode::Draw, 2, expected.size()},
        {ViewMode::Draw, 7, expected.size()},
        {ViewMode::Sort, -1, 0},
        {ViewMode::Play, -1, 0},
        {ViewMode(5), 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        RecordingPainter q;
        renderer.paintOverlay(q, game, c.mode, c.selected);
        EXPECT_EQ(q.calls.size(), c.calls);
    }
}

TEST(BoardOverlay, SortModeSetsTheMappingOfTheCurrentSize)
{
    auto game = makeFixedGame();
    ShowState show;
    Board board(1000, 700, kStarSizeLarge, show);
    game->picture.create(24, 1600, 1200, 0u);
    RecordingPainter p;
    board.renderer.paintOverlay(p, *game, ViewMode::Sort, 0);
    EXPECT_TRUE(p.calls.empty());
    EXPECT_EQ(board.renderer.pictureMapping(), (PictureMapping{716, 1600, 142, 102}));
}

}  // namespace
}  // namespace gz
