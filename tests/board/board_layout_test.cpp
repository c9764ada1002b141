#include "board/board_layout.h"

#include <gtest/gtest.h>

#include <limits>

#include "board/flat_point_list.h"

namespace gz {
namespace {

struct LayoutCase {
    int option;
    int strip, cellHeight, columns, cellWidth, starLimit;
    StarImage image;
};

TEST(BoardLayout, TableRowsAndUnknownOptions)
{
    const LayoutCase cases[] = {
        {0, 136, 136, 1, 136, 8, StarImage::Large},
        {1, 102, 102, 1, 102, 8, StarImage::Medium},
        {2, 68, 68, 1, 68, 8, StarImage::Small},
        {3, 136, 68, 2, 68, 25, StarImage::Small},
        {-1, 136, 136, 1, 136, 8, StarImage::Large},
        {4, 136, 136, 1, 136, 8, StarImage::Large},
        {1000, 136, 136, 1, 136, 8, StarImage::Large},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.option);
        const BoardLayout l = boardLayoutFor(c.option);
        EXPECT_EQ(l.stripWidth, c.strip);
        EXPECT_EQ(l.cellHeight, c.cellHeight);
        EXPECT_EQ(l.columns, c.columns);
        EXPECT_EQ(l.cellWidth, c.cellWidth);
        EXPECT_EQ(l.starLimit, c.starLimit);
        EXPECT_EQ(l.starImage, c.image);
        EXPECT_EQ(l.cellsPerSide(), 16 * c.columns);
    }
}

TEST(BoardLayout, StarCellsFillRowsLeftToRightThenUpward)
{
    struct Case {
        int option;
        PlayerSide side;
        int cell;
        BoardRect rect;
    };
    const int w = 1000, h = 700;
    const Case cases[] = {
        {0, PlayerSide::Left, 0, {0, 564, 136, 136}},
        {0, PlayerSide::Left, 1, {0, 428, 136, 136}},
        {0, PlayerSide::Right, 0, {864, 564, 136, 136}},
        {0, PlayerSide::Left, 15, {0, 700 - 16 * 136, 136, 136}},   // above the top: clipped later
        {3, PlayerSide::Left, 0, {0, 632, 68, 68}},
        {3, PlayerSide::Left, 1, {68, 632, 68, 68}},
        {3, PlayerSide::Left, 2, {0, 564, 68, 68}},
        {3, PlayerSide::Right, 3, {932, 564, 68, 68}},
        {3, PlayerSide::Right, 31, {932, 700 - 16 * 68, 68, 68}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        EXPECT_EQ(starCellRect(boardLayoutFor(c.option), c.side, c.cell, w, h), c.rect);
    }
}

TEST(BoardLayout, RegionsOfA1000x700Board)
{
    const BoardLayout l = boardLayoutFor(kStarSizeLarge);
    EXPECT_EQ(separatorRect(l, PlayerSide::Left, 1000, 700), (BoardRect{136, 0, 6, 700}));
    EXPECT_EQ(separatorRect(l, PlayerSide::Right, 1000, 700), (BoardRect{858, 0, 6, 700}));
    EXPECT_EQ(bannerRect(l, 1000), (BoardRect{142, 0, 716, 36}));
    EXPECT_EQ(pictureAreaRect(l, 1000, 700), (BoardRect{142, 42, 716, 658}));
    // Too narrow for both strips: no room, and it says so.
    EXPECT_TRUE(pictureAreaRect(l, 200, 700).isEmpty());
    EXPECT_TRUE(bannerRect(l, 200).isEmpty());
    EXPECT_TRUE(pictureAreaRect(l, 1000, 30).isEmpty());
}

TEST(PictureFit, FitsKeepingTheAspect)
{
    struct Case {
        int pw, ph, g, a, dw, dh;
    };
    const Case cases[] = {
        {1600, 1200, 716, 658, 716, 537},   // wide area: width-bound
        {100, 1000, 716, 658, 65, 658},     // tall picture: height-bound
        {1000, 100, 716, 658, 716, 71},
        {716, 658, 716, 658, 716, 658},     // exact size
        {10, 10, 716, 658, 658, 658},       // enlarged
        {0, 0, 716, 658, 658, 658},         // empty picture counts as 1 x 1
        {-5, 7, 716, 658, 94, 658},
        {32768, 1, 716, 658, 716, 0},       // a line too thin to show
        {1600, 1200, -84, 658, 0, 0},       // no room
        {1600, 1200, 716, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pw << "x" << c.ph << " in " << c.g << "x" << c.a);
        const PictureFit f = fitPicture(c.pw, c.ph, c.g, c.a);
        EXPECT_EQ(f.width, c.dw);
        EXPECT_EQ(f.height, c.dh);
    }
}

TEST(PictureMapping, LiesOnThePictureDrawnInTheArea)
{
    const BoardLayout l = boardLayoutFor(kStarSizeLarge);
    const PictureMapping m = computePictureMapping(l, 1000, 700, 1600, 1200);
    EXPECT_EQ(m.numerator, 716);
    EXPECT_EQ(m.denominator, 1600);
    EXPECT_EQ(m.xOffset, 142);
    EXPECT_EQ(m.yOffset, 102);
    EXPECT_EQ(m.toBoard({0, 0}), (PolygonPoint{142, 102}));
    EXPECT_EQ(m.toBoard({1600, 1200}), (PolygonPoint{142 + 716, 102 + 537}));
    EXPECT_EQ(m.toPicture({142, 102}), (PolygonPoint{0, 0}));
    EXPECT_EQ(m.toPicture({500, 400}), (PolygonPoint{(500 - 142) * 1600 / 716, (400 - 102) * 1600 / 716}));
    // Left of the picture: truncation toward zero, as for any integer division.
    EXPECT_EQ(m.toPicture({141, 101}), (PolygonPoint{-1600 / 716, -1600 / 716}));

    // The offsets equal the blit position of the renderer for every layout.
    for (int option = 0; option < 4; ++option) {
        const BoardLayout lo = boardLayoutFor(option);
        for (auto [pw, ph] : {std::pair{1600, 1200}, {300, 900}, {1, 1}, {0, 0}}) {
            const BoardRect area = pictureAreaRect(lo, 1280, 777);
            const PictureFit fit = fitPicture(pw, ph, area.w, area.h);
            const PictureMapping mm = computePictureMapping(lo, 1280, 777, pw, ph);
            EXPECT_EQ(mm.xOffset, area.x + (area.w - fit.width) / 2);
            EXPECT_EQ(mm.yOffset, area.y + (area.h - fit.height) / 2);
        }
    }
}

TEST(PictureMapping, ExtremePointsDoNotOverflow)
{
    const PictureMapping m{7000, 3, 100, 100};
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(m.toBoard({big, small}), (PolygonPoint{big, small}));
    const PictureMapping shrink{3, 7000, small, big};
    EXPECT_EQ(shrink.toPicture({big, small}), (PolygonPoint{big, small}));
    // A default mapping is the identity.
    EXPECT_EQ(PictureMapping{}.toBoard({-5, 9}), (PolygonPoint{-5, 9}));
    EXPECT_EQ(PictureMapping{}.toPicture({-5, 9}), (PolygonPoint{-5, 9}));
}

TEST(FlatPointList, BuiltFromTheLastPolygonToTheFirst)
{
    GameContent game;
    const int counts[] = {3, 1, 0, 2};
    for (int n : counts) {
        CoverPolygon* p = game.appendPolygon();
        for (int j = 0; j < n; ++j)
            p->addPoint({10 * j, 100 + j});
    }
    FlatPointList list;
    buildFlatPointList(game, PictureMapping{2, 1, 5, 0}, list);
    // Polygon 3 (2 points) first, 2 and 1 (fewer than 2) add nothing, then 0.
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[0], (FlatPoint{5, 200, 3, 0}));
    EXPECT_EQ(list[1], (FlatPoint{25, 202, 3, 1}));
    EXPECT_EQ(list[2], (FlatPoint{5, 200, 0, 0}));
    EXPECT_EQ(list[4], (FlatPoint{45, 204, 0, 2}));
    EXPECT_EQ(list.polygonStart(3), 0);
    EXPECT_EQ(list.polygonStart(2), 2);
    EXPECT_EQ(list.polygonStart(1), 2);
    EXPECT_EQ(list.polygonStart(0), 2);
    EXPECT_EQ(list.polygonStart(4), -1);
    EXPECT_EQ(list.polygonStart(-1), -1);
    EXPECT_EQ(list.polygonStart(32), -1);

    buildFlatPointList(GameContent{}, PictureMapping{}, list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.polygonStart(0), -1);
}

TEST(FlatPointList, HoldsAFullTableAndRefusesMore)
{
    GameContent game;
    for (int i = 0; i < kMaxPolygons; ++i) {
        CoverPolygon* p = game.appendPolygon();
        for (int j = 0; j < kMaxPolygonPoints; ++j)
            p->addPoint({i, j});
    }
    FlatPointList list;
    buildFlatPointList(game, PictureMapping{}, list);
    EXPECT_EQ(list.size(), FlatPointList::kCapacity);
    EXPECT_EQ(list.polygonStart(0), FlatPointList::kCapacity - kMaxPolygonPoints);
    EXPECT_FALSE(list.append({0, 0, 0, 0}));
    EXPECT_EQ(list.size(), FlatPointList::kCapacity);
}

}  // namespace
}  // namespace gz
